// Cost of copying grid rows to the clipboard as an application sees it: n selected rows of
// three text columns (dynamic objects), put on the clipboard of the offscreen platform as
// local data and tab-separated text by CGrid::Copy, and the text format's rendering alone.
//
//   CopySelectedRows/n   CGrid::Copy: collecting the selection, both formats, the clipboard
//   RenderText/n         CTextClipboardFormat::Render into a fresh format; the counters show
//                        the bytes built and how often the buffer grew (doubling: about
//                        log2(bytes / 4096) + 1 times)
//
// The benchmarks need the application object of the windowing layer (offscreen platform):
// main() starts it and runs the benchmarks from its InitInstance.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "BenchApplication.h"
#include "ombrel/Common.h"
#include "ombrel/GUI.h"
#include "ombrel/platform/WinApp.h"
#include "ombrel/platform/WindowMessaging.h"

namespace {

using namespace Ombrel;
using namespace Ombrel::Common;
using namespace Ombrel::GUI;

constexpr int kColumns = 3;

class CCopyScene
{
public:
    explicit CCopyScene(int rowCount)
    {
        m_grid.Create(WS_POPUP, CRect(0, 0, 600, 400), nullptr, 1);
        auto* header = new CHeader(true);
        for (int column = 1; column <= kColumns; ++column)
            header->AddColumn(new CColumn(column, "Column " + std::to_string(column), 150));
        m_grid.SetHeader(header);
        m_grid.EnableNotifications(false);
        m_objects.reserve(static_cast<std::size_t>(rowCount));
        for (int index = 0; index < rowCount; ++index) {
            auto object = std::make_unique<CDynamicObject>(false);
            object->AddField(new CField(1, "Name", vtStlString));
            object->AddField(new CField(2, "Quantity", vtLong));
            object->AddField(new CField(3, "Price", vtDouble));
            object->SetStdString(1, "Record " + std::to_string(index));
            object->SetLong(2, index * 7 % 1000);
            object->SetDouble(3, index * 0.25);
            m_grid.Add(object.get());
            m_objects.push_back(std::move(object));
        }
        m_grid.SelectAll();
    }
    ~CCopyScene() { m_grid.DestroyWindow(); }

    CGrid& Grid() { return m_grid; }
    std::vector<CGridItem*> Rows()
    {
        std::vector<CGridItem*> rows;
        m_grid.GetSelectedRows(ROW_NORMAL, rows);
        return rows;
    }

private:
    std::vector<std::unique_ptr<CDynamicObject>> m_objects;
    CGrid m_grid;
};

void CopySelectedRows(benchmark::State& state)
{
    CCopyScene scene(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        if (!scene.Grid().Copy())
            state.SkipWithError("the copy placed nothing on the clipboard");
    }
    state.SetComplexityN(state.range(0));
}

void RenderText(benchmark::State& state)
{
    CCopyScene scene(static_cast<int>(state.range(0)));
    const std::vector<CGridItem*> rows = scene.Rows();
    std::size_t bytes = 0;
    std::size_t capacity = 0;
    for (auto _ : state) {
        CTextClipboardFormat text;
        text.Render(rows, scene.Grid().GetHeader());
        bytes = static_cast<std::size_t>(text.GetSize());
        capacity = text.GetCapacity();
    }
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["capacity"] = static_cast<double>(capacity);
    state.counters["growths"] = capacity > 0 ? std::log2(static_cast<double>(capacity) / 4096.0) + 1 : 0;
    state.SetComplexityN(state.range(0));
}

BENCHMARK(CopySelectedRows)->RangeMultiplier(10)->Range(1000, 100000)->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(RenderText)->RangeMultiplier(10)->Range(1000, 100000)->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return Ombrel::Bench::RunBenchmarksInApplication(argc, argv);
}
