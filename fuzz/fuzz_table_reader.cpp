// Reads arbitrary bytes as a CSV file and as a JSON file, through the kind guess and the row
// builder as the table viewer does, in two passes and in one. Errors are the expected outcome; every delivered row must
// have exactly one cell per column known when it was delivered, and every cell valid UTF-8.
// Fuzz target links: ombrel_viewer_core
#include "ColumnKindGuess.h"
#include "CsvReader.h"
#include "JsonReader.h"
#include "TableOnePass.h"
#include "TableRowBuilder.h"
#include "TableShape.h"
#include "Utf8Repair.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

namespace {

using namespace Ombrel::Viewer;

// Checks what the readers promise about rows.
class CCheckingSink : public CTableShape
{
public:
    void OnColumn(const std::string& name) override
    {
        ++m_columns;
        CTableShape::OnColumn(name);
    }

    bool OnRow(std::vector<std::string>& cells) override
    {
        if (cells.size() != m_columns)
            std::abort();
        for (std::string cell : cells)
            if (RepairUtf8(cell) != 0)
                std::abort();
        return CTableShape::OnRow(cells);
    }

private:
    std::size_t m_columns = 0;
};

template <class Reader>
void ReadAndBuild(const std::string& bytes)
{
    CCheckingSink shape;
    std::istringstream first(bytes);
    if (!Reader(shape).Read(first).Succeeded())
        return;
    std::size_t objects = 0;
    CTableRowBuilder builder(shape, [&objects](CTableRowBuilder::Objects& batch) {
        objects += batch.size();
        return true;
    });
    std::istringstream second(bytes);
    const auto result = Reader(builder).Read(second);
    builder.Flush();
    // The same bytes read the same way twice.
    if (!result.Succeeded() || objects != shape.GetRowCount() || builder.GetUnreadCells() != 0)
        std::abort();

    // In one pass, every row becomes an object unless a later row broke the first rows' kinds.
    std::size_t onePassObjects = 0;
    CTableOnePass pass(nullptr, nullptr, [&onePassObjects](CTableRowBuilder::Objects& batch) {
        onePassObjects += batch.size();
        return true;
    });
    std::istringstream third(bytes);
    const auto onePass = Reader(pass).Read(third);
    if (!pass.Finish() || (!pass.KindsWereWrong() && (!onePass.Succeeded() || onePassObjects != shape.GetRowCount())))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    ReadAndBuild<CCsvReader>(bytes);
    ReadAndBuild<CJsonReader>(bytes);
    return 0;
}
