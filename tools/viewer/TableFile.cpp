#include "TableFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "CsvReader.h"
#include "JsonReader.h"

namespace Ombrel::Viewer {

namespace {

bool EndsWithNoCase(std::string_view text, std::string_view suffix)
{
    if (text.size() < suffix.size())
        return false;
    for (std::size_t index = 0; index < suffix.size(); ++index)
        if ((text[text.size() - suffix.size() + index] | 0x20) != suffix[index])
            return false;
    return true;
}

} // namespace

TableFileFormat GuessTableFileFormat(std::string_view fileName, std::string_view firstBytes)
{
    if (EndsWithNoCase(fileName, ".json"))
        return TableFileFormat::Json;
    if (EndsWithNoCase(fileName, ".csv"))
        return TableFileFormat::Csv;
    if (firstBytes.substr(0, 3) == "\xEF\xBB\xBF")
        firstBytes.remove_prefix(3);
    const std::size_t first = firstBytes.find_first_not_of(" \t\r\n");
    const bool json = first != std::string_view::npos && (firstBytes[first] == '[' || firstBytes[first] == '{');
    return json ? TableFileFormat::Json : TableFileFormat::Csv;
}

TableReadResult ReadTableFile(const std::string& path, ITableSink& sink)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        TableReadResult failed;
        failed.outcome = TableReadResult::Outcome::Failed;
        failed.error.message = "cannot open " + path + ": " + std::strerror(errno);
        return failed;
    }
    char start[256] = {};
    file.read(start, sizeof start);
    const std::string_view firstBytes(start, static_cast<std::size_t>(file.gcount()));
    file.clear();
    file.seekg(0);
    if (GuessTableFileFormat(path, firstBytes) == TableFileFormat::Json)
        return CJsonReader(sink).Read(file);
    return CCsvReader(sink).Read(file);
}

} // namespace Ombrel::Viewer
