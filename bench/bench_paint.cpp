// Cost of painting a whole grid: a 1280 x 800 window showing ten columns over enough rows to
// fill it, with a header, two fixed rows, alternating backgrounds, grid lines, a selection and
// a sort column, as an application shows it.
//
//   PaintPassToBitmap    the paint pass alone (header, rows, empty lines) onto a memory bitmap
//   FullRepaint          the whole client area invalidated and repainted through the window's
//                        paint message, with or without the back buffer
//   ScrolledRepaint      the same after scrolling to the middle of 100 000 rows
//   PageDownRepaint      a page down through 100 000 rows and its paint: new texts every page
//   NewTexts             a page of texts never drawn before (55 rows of six values) drawn into
//                        a bitmap as cells draw them, without the grid: the text cache's miss
//                        path, glyph placing and blending
//   TextCacheAtLimit     the memory one font's cache of drawn texts holds when full
//
// The benchmarks need the application object of the windowing layer (offscreen platform):
// main() starts it and runs the benchmarks from its InitInstance.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "BenchApplication.h"
#include "ombrel/Common.h"
#include "ombrel/GUI.h"
#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/grid/detail/GridImpl.h"
#include "ombrel/gui/grid/detail/GridPainter.h"
#include "ombrel/gui/paint/GridAppearance.h"
#include "ombrel/gui/paint/PaintDefaults.h"
#include "ombrel/platform/Bitmap.h"
#include "ombrel/platform/DC.h"
#include "ombrel/platform/Font.h"
#include "ombrel/platform/MessageLoop.h"
#include "ombrel/platform/WinApp.h"
#include "ombrel/base/ProcessMemory.h"

namespace {

using namespace Ombrel;
using namespace Ombrel::Common;
using namespace Ombrel::GUI;

constexpr int kWidth = 1280;
constexpr int kHeight = 800;
constexpr int kColumns = 10;

// Ten fields of the usual kinds: text, 32- and 64-bit integers, floating point.
class CQuote : public CDataObject
{
    OMBREL_DECLARE_FIELD_MAP()
public:
    explicit CQuote(int index)
    {
        m_name.Format("Instrument %06d", index);
        m_market.Format("M%02d", index % 17);
        m_quantity = index * 7 % 1000;
        m_volume = static_cast<std::int64_t>(index) * 1234567;
        m_bid = 100.0 + index % 997 / 10.0;
        m_ask = m_bid + 0.25;
        m_last = m_bid + 0.125;
        m_trades = index % 313;
        m_change = (index % 41 - 20) / 8.0;
        m_sequence = index;
    }
    ~CQuote() override { NotifyDestroy(); }

    CString GetName() const { return m_name; }
    CString GetMarket() const { return m_market; }
    std::int32_t GetQuantity() const { return m_quantity; }
    std::int64_t GetVolume() const { return m_volume; }
    double GetBid() const { return m_bid; }
    double GetAsk() const { return m_ask; }
    double GetLast() const { return m_last; }
    std::int32_t GetTrades() const { return m_trades; }
    double GetChange() const { return m_change; }
    std::int64_t GetSequence() const { return m_sequence; }

private:
    CString m_name;
    CString m_market;
    std::int32_t m_quantity = 0;
    std::int64_t m_volume = 0;
    double m_bid = 0;
    double m_ask = 0;
    double m_last = 0;
    std::int32_t m_trades = 0;
    double m_change = 0;
    std::int64_t m_sequence = 0;
};

OMBREL_BEGIN_FIELD_MAP(CQuote)
    OMBREL_FIELD(1, "Name", &CQuote::GetName)
    OMBREL_FIELD(2, "Market", &CQuote::GetMarket)
    OMBREL_FIELD(3, "Quantity", &CQuote::GetQuantity)
    OMBREL_FIELD(4, "Volume", &CQuote::GetVolume)
    OMBREL_FIELD(5, "Bid", &CQuote::GetBid)
    OMBREL_FIELD(6, "Ask", &CQuote::GetAsk)
    OMBREL_FIELD(7, "Last", &CQuote::GetLast)
    OMBREL_FIELD(8, "Trades", &CQuote::GetTrades)
    OMBREL_FIELD(9, "Change", &CQuote::GetChange)
    OMBREL_FIELD(10, "Sequence", &CQuote::GetSequence)
OMBREL_END_FIELD_MAP()

// A shown grid window of 1280 x 800 with `rowCount` normal rows and two fixed rows.
class CPaintScene
{
public:
    explicit CPaintScene(int rowCount)
    {
        m_quotes.reserve(static_cast<std::size_t>(rowCount) + 2);
        for (int i = 0; i < rowCount + 2; ++i)
            m_quotes.push_back(std::make_unique<CQuote>(i));

        m_grid.Create(WS_POPUP, CRect(0, 0, kWidth, kHeight), nullptr, 1);
        auto* header = new CHeader(true);
        for (int field = 1; field <= kColumns; ++field) {
            static const char* const kTitles[] = {"Name", "Market", "Quantity", "Volume",
                                                  "Bid",  "Ask",    "Last",     "Trades",
                                                  "Change", "Sequence"};
            header->AddColumn(new CColumn(field, kTitles[field - 1], kWidth / kColumns));
        }
        m_grid.SetHeader(header);
        m_grid.EnableNotifications(false);
        GridAppearance appearance = *m_grid.GetAppearance();
        appearance.evenBackground = 0xF0F0F0;
        appearance.drawHorizontalLines = true;
        appearance.drawVerticalLines = true;
        m_grid.SetAppearance(appearance);

        m_grid.Add(m_quotes[0].get(), GRID_FIXED_ROOT);
        m_grid.Add(m_quotes[1].get(), GRID_FIXED_ROOT);
        for (int i = 2; i < rowCount + 2; ++i)
            m_grid.Add(m_quotes[static_cast<std::size_t>(i)].get());
        m_grid.SetSortInfo(0, CSortInfo(3, false));
        m_grid.UpdateLayout();
        for (int i = 3; i < 9; ++i)
            m_grid.SelectAt(i, ROW_NORMAL);
        m_grid.SetFocus(4, ROW_NORMAL);
        m_grid.ShowWindow(SW_SHOW);
        PumpMessagesFor(50);
    }

    ~CPaintScene() { m_grid.DestroyWindow(); }

    CGrid& Grid() { return m_grid; }

    // Rows on screen; the benchmark reports it so a run shows what was painted.
    int RowsOnScreen()
    {
        const int top = m_grid.GetTopRow();
        return m_grid.GetLastVisibleIndex(ROW_NORMAL) - top + 1 + m_grid.GetRowCount(ROW_FIXED);
    }

private:
    std::vector<std::unique_ptr<CQuote>> m_quotes; // outlive the grid's rows
    CGrid m_grid;
};

void PaintPassToBitmap(benchmark::State& state)
{
    CPaintScene scene(2000);
    CGrid& grid = scene.Grid();
    CGridImpl* impl = CGrid::FindImpl(&grid);
    CGridPainter painter(grid, impl->GetRows(), impl->GetLayout(), impl->GetOptions(),
                         impl->GetTracking());
    CBitmap bitmap;
    bitmap.CreateCompatibleBitmap(nullptr, kWidth, kHeight);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap* previousBitmap = dc.SelectObject(&bitmap);
    CFont* font = grid.GetFont() != nullptr ? grid.GetFont() : CPaintDefaults::Get().GetFont();
    CFont* previousFont = dc.SelectObject(font);
    const CRect client = grid.GetClientRect();
    for (auto _ : state) {
        painter.PaintRectangle(dc, client, grid.GetPaintOptions());
        benchmark::DoNotOptimize(dc.GetPixel(kWidth / 2, kHeight / 2));
    }
    dc.SelectObject(previousFont);
    dc.SelectObject(previousBitmap);
    state.counters["rows"] = scene.RowsOnScreen();
}

// state.range(0): double buffering on (1) or off (0).
void FullRepaint(benchmark::State& state)
{
    CPaintScene scene(2000);
    CGrid& grid = scene.Grid();
    grid.SetDoubleBuffer(state.range(0) != 0);
    for (auto _ : state) {
        grid.InvalidateRect(nullptr, false);
        grid.UpdateWindow();
    }
    state.counters["rows"] = scene.RowsOnScreen();
}

void ScrolledRepaint(benchmark::State& state)
{
    CPaintScene scene(100000);
    CGrid& grid = scene.Grid();
    grid.SetTopRow(50000);
    for (auto _ : state) {
        grid.InvalidateRect(nullptr, false);
        grid.UpdateWindow();
    }
    state.counters["rows"] = scene.RowsOnScreen();
}

// A page down and the paint it asks for, walking 100 000 rows: every page shows texts the
// paint has not drawn before (the shaping of new texts is what a page costs beyond a repaint).
// Back at the top when the walk reaches the end.
void PageDownRepaint(benchmark::State& state)
{
    CPaintScene scene(100000);
    CGrid& grid = scene.Grid();
    for (auto _ : state) {
        const int before = grid.GetTopRow();
        grid.SendMessage(WM_VSCROLL, SB_PAGEDOWN, 0);
        if (grid.GetTopRow() == before)
            grid.SetTopRow(0);
        grid.UpdateWindow();
    }
    state.counters["rows"] = scene.RowsOnScreen();
}

// Fitting a column to its content: every row up to a few thousand, beyond that the rows on
// screen and an even sample. state.range(0): rows in the grid.
void AutoSizeColumn(benchmark::State& state)
{
    CPaintScene scene(static_cast<int>(state.range(0)));
    CGrid& grid = scene.Grid();
    for (auto _ : state)
        grid.AutoSizeColumn(1);
    state.counters["width"] = grid.GetHeader()->GetColumnById(1)->GetWidth();
}

// Values of a row of a quote table, as formatted cells show them; `serial` makes them new.
void FormatCellValue(std::uint64_t serial, int column, char* text, std::size_t size)
{
    static const char* const kCities[] = {"Amsterdam", "Berlin", "Lisbon", "London", "Oslo", "Z\xC3\xBCrich"};
    const auto value = static_cast<unsigned long long>(serial);
    switch (column) {
    case 0: std::snprintf(text, size, "Row %07llu", value); break;
    case 1: std::snprintf(text, size, "%llu", value * 7 % 100000); break;
    case 2: std::snprintf(text, size, "%llu,%03llu,%03llu", value % 997, value * 13 % 1000, value % 1000); break;
    case 3: std::snprintf(text, size, "%llu.%02llu", value * 31 % 100000, value % 100); break;
    case 4: std::snprintf(text, size, "%02llu/%02llu/20%02llu %02llu:%02llu", value % 28 + 1, value % 12 + 1, value % 30, value % 24, value * 7 % 60); break;
    default: std::snprintf(text, size, "%s", kCities[value % std::size(kCities)]); break;
    }
}

// A memory bitmap of the window's size with the grid's font selected.
class CTextScene
{
public:
    CTextScene()
    {
        m_bitmap.CreateCompatibleBitmap(nullptr, kWidth, kHeight);
        m_dc.CreateCompatibleDC(nullptr);
        m_previousBitmap = m_dc.SelectObject(&m_bitmap);
        m_previousFont = m_dc.SelectObject(CPaintDefaults::Get().GetFont());
        m_dc.SetBkMode(TRANSPARENT);
        m_dc.SetTextColor(RGB(0, 0, 0));
    }
    ~CTextScene()
    {
        m_dc.SelectObject(m_previousFont);
        m_dc.SelectObject(m_previousBitmap);
    }

    // One page: each row's band filled, then its six cells' texts, all never drawn before.
    void DrawPage(std::uint64_t& serial)
    {
        constexpr int kRows = 55;
        constexpr int kRowHeight = kHeight / kRows;
        constexpr int kCellWidth = kWidth / 6;
        char text[64];
        for (int row = 0; row < kRows; ++row) {
            const int top = row * kRowHeight;
            m_dc.FillSolidRect(0, top, kWidth, kRowHeight, row % 2 ? RGB(255, 255, 255) : RGB(240, 240, 240));
            ++serial;
            for (int column = 0; column < 6; ++column) {
                FormatCellValue(serial, column, text, sizeof text);
                CRect cell(column * kCellWidth + 2, top, (column + 1) * kCellWidth - 2, top + kRowHeight);
                const UINT align = column == 0 || column == 5 ? DT_LEFT : DT_RIGHT;
                m_dc.DrawText(CString(text), cell, DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER | DT_END_ELLIPSIS | align);
            }
        }
    }

    CDC& DC() { return m_dc; }

private:
    CBitmap m_bitmap;
    CDC m_dc;
    CBitmap* m_previousBitmap = nullptr;
    CFont* m_previousFont = nullptr;
};

void NewTexts(benchmark::State& state)
{
    CTextScene scene;
    std::uint64_t serial = 0;
    for (auto _ : state) {
        scene.DrawPage(serial);
        benchmark::DoNotOptimize(scene.DC().GetPixel(kWidth / 2, kHeight / 2));
    }
    state.counters["texts"] = benchmark::Counter(6.0 * 55, benchmark::Counter::kIsIterationInvariantRate);
}

// Resident memory taken by drawing as many new texts as one font keeps (the cache's limit), in a
// font of its own; the first run of the process measures it (later runs find the font full).
void TextCacheAtLimit(benchmark::State& state)
{
    // A page brings 55 x 5 new texts (the cities repeat); the pages after the first fill the
    // font's cache to just under its 16 384 texts.
    constexpr int kNewTextsPerPage = 55 * 5;
    constexpr int kPages = (16384 - 6 - kNewTextsPerPage) / kNewTextsPerPage;
    CTextScene scene;
    LOGFONT description{};
    description.lfHeight = -13;
    std::snprintf(description.lfFaceName, sizeof description.lfFaceName, "%s", "DejaVu Sans");
    CFont font;
    font.CreateFontIndirect(description);
    CFont* previous = scene.DC().SelectObject(&font);
    std::uint64_t serial = 1u << 30;
    scene.DrawPage(serial); // the font's glyph masks and the bitmap's pages, outside the count
    const std::uint64_t before = ResidentBytes();
    for (auto _ : state) {
        for (int page = 0; page < kPages; ++page)
            scene.DrawPage(serial);
    }
    const std::uint64_t after = ResidentBytes();
    scene.DC().SelectObject(previous);
    const double texts = static_cast<double>(kPages) * kNewTextsPerPage;
    state.counters["bytes_per_text"] = static_cast<double>(after - before) / texts;
    state.counters["bytes_at_limit"] = static_cast<double>(after - before) / texts * 16384;
}

BENCHMARK(PaintPassToBitmap)->Unit(benchmark::kMillisecond);
BENCHMARK(AutoSizeColumn)->Arg(5000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(FullRepaint)->Arg(1)->Arg(0)->ArgName("doubleBuffer")->Unit(benchmark::kMillisecond);
BENCHMARK(ScrolledRepaint)->Unit(benchmark::kMillisecond);
BENCHMARK(PageDownRepaint)->Unit(benchmark::kMillisecond);
BENCHMARK(NewTexts)->Unit(benchmark::kMillisecond);
BENCHMARK(TextCacheAtLimit)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return Ombrel::Bench::RunBenchmarksInApplication(argc, argv);
}
