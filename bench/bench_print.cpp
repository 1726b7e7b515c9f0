// Cost of printing a long grid: six columns over 100 000 rows, as the demonstration shows them.
//
//   Paginate             cutting every row into bands and column groups for A4 at 100%
//   PaginateStep         one step of the preview's cut (CGridPrintPreview::kLinesPerStep
//                        lines): the longest the window waits between two messages
//   FirstPreviewFrame    opening the preview until its first frame is painted (the cut runs
//                        on after it, one step per timer tick)
//   RenderPreviewPage    painting one more page of the preview: band, stretch and copy
//
// The benchmarks need the application object of the windowing layer (offscreen platform):
// main() starts it and runs the benchmarks from its InitInstance.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "BenchApplication.h"
#include "ombrel/Common.h"
#include "ombrel/GUI.h"
#include "ombrel/platform/Bitmap.h"
#include "ombrel/platform/DC.h"
#include "ombrel/platform/MessageLoop.h"
#include "ombrel/platform/Printer.h"

namespace {

using namespace Ombrel;
using namespace Ombrel::Common;
using namespace Ombrel::GUI;

constexpr int kRows = 100'000;

class CLine : public CDataObject
{
    OMBREL_DECLARE_FIELD_MAP()
public:
    explicit CLine(int index) : m_index(index) { m_name.Format("Instrument %06d", index); }
    ~CLine() override { NotifyDestroy(); }

    CString GetName() const { return m_name; }
    std::int32_t GetQuantity() const { return m_index * 7 % 1000; }
    std::int64_t GetVolume() const { return std::int64_t{m_index} * 1234567; }
    double GetPrice() const { return 100.0 + m_index % 997 / 10.0; }
    std::int32_t GetTrades() const { return m_index % 313; }
    CString GetCity() const { return CString(m_index % 2 ? "Lyon" : "Oslo"); }

private:
    CString m_name;
    int m_index = 0;
};

OMBREL_BEGIN_FIELD_MAP(CLine)
    OMBREL_FIELD(1, "Name", &CLine::GetName)
    OMBREL_FIELD(2, "Quantity", &CLine::GetQuantity)
    OMBREL_FIELD(3, "Volume", &CLine::GetVolume)
    OMBREL_FIELD(4, "Price", &CLine::GetPrice)
    OMBREL_FIELD(5, "Trades", &CLine::GetTrades)
    OMBREL_FIELD(6, "City", &CLine::GetCity)
OMBREL_END_FIELD_MAP()

// One grid of 100 000 rows for every benchmark of the run.
struct LongGrid
{
    std::vector<std::unique_ptr<CLine>> lines;
    CGrid grid;
    CPrinter printer;

    LongGrid()
    {
        grid.Create(WS_POPUP, CRect(0, 0, 900, 600), nullptr, 1);
        auto* header = new CHeader(true);
        const char* titles[] = {"Name", "Quantity", "Volume", "Price", "Trades", "City"};
        for (int field = 1; field <= 6; ++field)
            header->AddColumn(new CColumn(field, titles[field - 1], 110));
        grid.SetHeader(header);
        grid.EnableNotifications(false);
        for (int i = 0; i < kRows; ++i) {
            lines.push_back(std::make_unique<CLine>(i));
            grid.Add(lines.back().get());
        }
        grid.UpdateLayout();
    }

    // Never destroyed: its windows would outlive the application object at exit.
    static LongGrid& Get()
    {
        static LongGrid* instance = new LongGrid();
        return *instance;
    }

    CGridPagination::Input Describe()
    {
        const CSize dpi = ScreenDpi();
        const PageMetrics metrics = MeasurePage(printer, dpi.cx, dpi.cy);
        const PrintSettings settings;
        return CGridPageRenderer::Describe(
            grid, settings, CGridPagination::BandSize(metrics.ContentScreenSize(settings), 1.0));
    }
};

void Paginate(benchmark::State& state)
{
    LongGrid& grid = LongGrid::Get();
    const CGridPagination::Input input = grid.Describe();
    for (auto _ : state) {
        CGridPagination pagination;
        pagination.Start(input);
        pagination.Finish();
        benchmark::DoNotOptimize(pagination.GetPageCount());
    }
    // Counted outside the loop: in the sanitizer build a count kept alive with DoNotOptimize
    // on a local variable read back as 0 after the loop.
    CGridPagination pagination;
    pagination.Start(input);
    pagination.Finish();
    state.counters["pages"] = pagination.GetPageCount();
    state.counters["rows/s"] = benchmark::Counter(double(kRows) * state.iterations(),
                                                  benchmark::Counter::kIsRate);
}
BENCHMARK(Paginate)->Unit(benchmark::kMillisecond);

void PaginateStep(benchmark::State& state)
{
    LongGrid& grid = LongGrid::Get();
    const CGridPagination::Input input = grid.Describe();
    for (auto _ : state) {
        state.PauseTiming();
        CGridPagination pagination;
        pagination.Start(input);
        state.ResumeTiming();
        pagination.Continue(CGridPrintPreview::kLinesPerStep);
        benchmark::DoNotOptimize(pagination.GetBandCount());
    }
}
BENCHMARK(PaginateStep)->Unit(benchmark::kMillisecond);

void FirstPreviewFrame(benchmark::State& state)
{
    LongGrid& grid = LongGrid::Get();
    for (auto _ : state) {
        CGridPrintPreview* preview = grid.grid.PrintPreview(PrintSettings{});
        if (preview == nullptr) {
            state.SkipWithError("no preview");
            break;
        }
        // The window is shown, laid out and painted by the events this handles.
        preview->Invalidate(false);
        PumpMessages();
        preview->UpdateWindow();
        state.PauseTiming();
        preview->DestroyWindow();
        PumpMessages();
        state.ResumeTiming();
    }
}
BENCHMARK(FirstPreviewFrame)->Unit(benchmark::kMillisecond);

void RenderPreviewPage(benchmark::State& state)
{
    LongGrid& grid = LongGrid::Get();
    CGridPagination pagination;
    pagination.Start(grid.Describe());
    pagination.Finish();
    CDC dc;
    CBitmap bitmap;
    dc.CreateCompatibleDC(nullptr);
    bitmap.CreateCompatibleBitmap(&dc, 400, 560);
    CBitmap* previous = dc.SelectObject(&bitmap);
    CGridPageRenderer renderer(grid.grid);
    int page = 0;
    for (auto _ : state) {
        renderer.DrawPage(dc, pagination, page, CRect(0, 0, 400, 560), true);
        page = (page + 997) % pagination.GetPageCount();
    }
    dc.SelectObject(previous);
}
BENCHMARK(RenderPreviewPage)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return Ombrel::Bench::RunBenchmarksInApplication(argc, argv);
}
