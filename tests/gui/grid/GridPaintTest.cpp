// The paint pass seen on rendered grids: what the header, fixed rows, separator, normal rows
// and empty lines look like, backgrounds by position, selection and the fading highlight, the
// background picture, the back buffer, and which bands one update rectangle repaints.
#include "ombrel/gui/grid/detail/GridPainter.h"

#include "ombrel/common/DataObject.h"
#include "ombrel/common/FieldDeclaration.h"
#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/grid/detail/GridImpl.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/paint/BackgroundImage.h"
#include "ombrel/gui/header/SortInfo.h"
#include "ombrel/gui/paint/PaintFlags.h"
#include "ombrel/gui/paint/CellPaintFormat.h"
#include "ombrel/gui/paint/GridAppearance.h"
#include "ombrel/gui/paint/HighlightSettings.h"
#include "ombrel/gui/paint/PaintDefaults.h"
#include "ombrel/platform/Bitmap.h"
#include "ombrel/platform/DC.h"
#include "ombrel/platform/Font.h"
#include "ombrel/platform/SystemColors.h"
#include "ombrel/platform/WindowImage.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <set>
#include <vector>

namespace Ombrel::GUI {
namespace {

using Test::Grab;
using Test::PixelAt;

enum PaintField : std::int32_t
{
    kName = 1,
    kAmount = 2,
    kCity = 3,
};

class CPaintRecord : public Common::CDataObject
{
    OMBREL_DECLARE_FIELD_MAP()
public:
    CPaintRecord(const char* name, std::int32_t amount, const char* city)
        : m_name(name), m_amount(amount), m_city(city)
    {
    }
    ~CPaintRecord() override { NotifyDestroy(); }

    CString GetName() const { return m_name; }
    std::int32_t GetAmount() const { return m_amount; }
    CString GetCity() const { return m_city; }
    void SetName(CString value)
    {
        m_name = std::move(value);
        NotifyUpdate(kName);
    }
    void SetAmount(std::int32_t value)
    {
        m_amount = value;
        NotifyUpdate(kAmount);
    }
    void SetCity(CString value)
    {
        m_city = std::move(value);
        NotifyUpdate(kCity);
    }

private:
    CString m_name;
    std::int32_t m_amount = 0;
    CString m_city;
};

OMBREL_BEGIN_FIELD_MAP(CPaintRecord)
    OMBREL_FIELD(kName, "Name", &CPaintRecord::GetName, &CPaintRecord::SetName)
    OMBREL_FIELD(kAmount, "Amount", &CPaintRecord::GetAmount, &CPaintRecord::SetAmount)
    OMBREL_FIELD(kCity, "City", &CPaintRecord::GetCity, &CPaintRecord::SetCity)
OMBREL_END_FIELD_MAP()

// One channel of the colour model's blend: (base * (255 - alpha) + overlay * alpha) / 255.
COLORREF Blend(COLORREF base, COLORREF overlay, int alpha)
{
    auto channel = [&](int shift) {
        const int b = static_cast<int>((base >> shift) & 0xFF);
        const int o = static_cast<int>((overlay >> shift) & 0xFF);
        return static_cast<COLORREF>((b * (255 - alpha) + o * alpha) / 255) << shift;
    };
    return channel(0) | channel(8) | channel(16);
}

bool IsInk(COLORREF pixel, COLORREF background)
{
    auto distance = [&](int shift) {
        return std::abs(static_cast<int>((pixel >> shift) & 0xFF) -
                        static_cast<int>((background >> shift) & 0xFF));
    };
    return std::max({distance(0), distance(8), distance(16)}) > 60;
}

// Leftmost and rightmost x of text pixels inside a band of the image; {-1, -1} without any.
std::pair<int, int> InkExtent(const QImage& image, const CRect& band, COLORREF background)
{
    int first = -1;
    int last = -1;
    for (int x = band.left; x < band.right; ++x) {
        for (int y = band.top; y < band.bottom; ++y) {
            if (IsInk(PixelAt(image, CPoint(x, y)), background)) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
        }
    }
    return {first, last};
}

// A grid of two columns (name, left for text; amount, right for numbers) on a popup window.
class GridPaintTest : public ::testing::Test
{
protected:
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 240;
    static constexpr COLORREF kEven = 0xF0F0F0;
    static constexpr COLORREF kOdd = 0xFFFFFF;

    void SetUp() override
    {
        ASSERT_TRUE(grid.Create(WS_POPUP, CRect(0, 0, kWidth, kHeight), nullptr, 1));
        header = new CHeader(true);
        header->AddColumn(new CColumn(kName, "Name", 120));
        header->AddColumn(new CColumn(kAmount, "Amount", 120));
        grid.SetHeader(header);
        GridAppearance appearance = *grid.GetAppearance();
        appearance.oddBackground = kOdd;
        appearance.evenBackground = kEven;
        grid.SetAppearance(appearance);
    }

    void TearDown() override { grid.DestroyWindow(); }

    CGridItem* AddRow(const char* name, std::int32_t amount, CGridItem* parent = GRID_ROOT,
                      const char* city = "")
    {
        records.push_back(std::make_unique<CPaintRecord>(name, amount, city));
        return grid.Add(records.back().get(), parent);
    }

    void AddRows(int count)
    {
        for (int i = 0; i < count; ++i)
            rows.push_back(AddRow("r", i));
    }

    QImage Render()
    {
        grid.UpdateLayout();
        grid.SetFocus(-1, ROW_DETACHED);
        return Grab(grid);
    }

    // A point inside the row's name cell, right of its short text.
    CPoint Blank(CGridItem* row)
    {
        const CRect cell = grid.GetCellRect(row, kName);
        return CPoint(cell.right - 12, (cell.top + cell.bottom) / 2);
    }

    std::vector<std::unique_ptr<CPaintRecord>> records; // outlive the grid's rows
    CGrid grid;
    CHeader* header = nullptr;
    std::vector<CGridItem*> rows;
};

// ---- Update rectangles -------------------------------------------------------------------

TEST(GridPainterRegionTest, RegionsThatFitTheDataLimitKeepEveryRectangleInOrder)
{
    // 32 bytes of header + 254 * 16 bytes = 4096: the largest region passed as it is.
    std::vector<CRect> region;
    for (int i = 0; i < 254; ++i)
        region.emplace_back(0, i * 2, 10, i * 2 + 1);
    const CRect bounds(0, 0, 10, 507);
    EXPECT_EQ(CGridPainter::UpdateRectsFromRegion(region, bounds), region);

    region.emplace_back(0, 508, 10, 509);
    EXPECT_EQ(CGridPainter::UpdateRectsFromRegion(region, CRect(0, 0, 10, 509)),
              std::vector<CRect>{CRect(0, 0, 10, 509)});

    EXPECT_TRUE(CGridPainter::UpdateRectsFromRegion({}, CRect()).empty());
}

// ---- Whole-grid appearance ---------------------------------------------------------------

TEST_F(GridPaintTest, WithoutHeaderOnlyTheWindowColourShows)
{
    AddRows(4);
    GridAppearance appearance = *grid.GetAppearance();
    appearance.oddBackground = 0x00C000;
    appearance.evenBackground = 0x0000C0;
    grid.SetAppearance(appearance);
    delete grid.SetHeader(nullptr);

    const QImage image = Render();
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    for (int y = 0; y < kHeight; y += 7) {
        for (int x = 0; x < kWidth; x += 13)
            ASSERT_EQ(PixelAt(image, CPoint(x, y)), window) << x << "," << y;
    }
}

TEST_F(GridPaintTest, RowsAlternateByPositionAndEmptyLinesGoOnAlternating)
{
    AddRows(6);
    const QImage image = Render();
    for (int position = 0; position < 6; ++position) {
        const COLORREF expected = position % 2 == 0 ? kEven : kOdd;
        EXPECT_EQ(PixelAt(image, Blank(rows[position])), expected) << "position " << position;
    }

    // Below the last row: lines of the default height, still alternating.
    const CRect last = grid.GetRowRect(rows[5]);
    const int height = last.Height();
    ASSERT_GT(height, 0);
    ASSERT_LT(last.bottom + 2 * height, kHeight);
    EXPECT_EQ(PixelAt(image, CPoint(100, last.bottom + height / 2)), kEven);
    EXPECT_EQ(PixelAt(image, CPoint(100, last.bottom + height + height / 2)), kOdd);
}

TEST_F(GridPaintTest, EmptyLinesCarryHorizontalGridLinesToTheBottom)
{
    AddRows(2);
    GridAppearance appearance = *grid.GetAppearance();
    appearance.drawHorizontalLines = true;
    appearance.horizontalLineColor = 0x0000FF;
    grid.SetAppearance(appearance);

    const QImage image = Render();
    const CRect last = grid.GetRowRect(rows[1]);
    const int height = last.Height();
    for (int line = 0; last.bottom + (line + 1) * height <= kHeight; ++line) {
        const int y = last.bottom + (line + 1) * height - 1;
        int dots = 0;
        for (int x = 20; x < 60; ++x)
            dots += PixelAt(image, CPoint(x, y)) == 0x0000FF ? 1 : 0;
        EXPECT_GE(dots, 15) << "empty line " << line;
        EXPECT_NE(PixelAt(image, CPoint(40, y - height / 2)), 0x0000FF);
    }
}

TEST_F(GridPaintTest, FixedRowIsFollowedByARaisedSeparatorThenTheNormalRows)
{
    GridAppearance appearance = *grid.GetAppearance();
    appearance.oddBackground = appearance.evenBackground = 0x30C0E0;
    grid.SetAppearance(appearance);
    CGridItem* fixed = AddRow("fixed", 1, GRID_FIXED_ROOT);
    AddRows(3);
    ASSERT_EQ(grid.GetSeparatorThickness(), 2);

    const QImage image = Render();
    const CRect fixedRect = grid.GetRowRect(fixed);
    EXPECT_EQ(fixedRect.top, header->GetHeight());
    const int separator = fixedRect.bottom;
    const int x = kWidth / 2;
    EXPECT_EQ(PixelAt(image, CPoint(x, separator - 1)), 0x30C0E0u);
    EXPECT_EQ(PixelAt(image, CPoint(x, separator)), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(PixelAt(image, CPoint(x, separator + 1)), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(grid.GetRowRect(rows[0]).top, separator + 2);
    EXPECT_EQ(PixelAt(image, CPoint(x, separator + 2)), 0x30C0E0u);
}

TEST_F(GridPaintTest, ThickSeparatorIsFilledWithTheButtonFace)
{
    CGridItem* fixed = AddRow("fixed", 1, GRID_FIXED_ROOT);
    AddRows(1);
    grid.SetSeparatorThickness(6);

    const QImage image = Render();
    const int top = grid.GetRowRect(fixed).bottom;
    EXPECT_EQ(PixelAt(image, CPoint(0, top + 3)), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(PixelAt(image, CPoint(kWidth - 1, top + 3)), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(PixelAt(image, CPoint(kWidth / 2, top + 3)), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(grid.GetRowRect(rows[0]).top, top + 6);

    grid.ShowSeparator(false);
    const QImage hidden = Render();
    EXPECT_EQ(grid.GetRowRect(rows[0]).top, top);
    EXPECT_EQ(PixelAt(hidden, CPoint(kWidth / 2, top + 3)), kEven);
}

TEST_F(GridPaintTest, NumbersAlignRightAndTextLeftUnderAutomaticAlignment)
{
    CGridItem* row = AddRow("Alpha", 42);
    const QImage image = Render();

    // The name column carries the tree: its text starts after one row height of indent.
    const CRect name = grid.GetCellRect(row, kName);
    const int textLeft = name.left + name.Height() + CGridPainter::kTextMargin;
    const auto [nameFirst, nameLast] = InkExtent(image, name, kEven);
    ASSERT_GE(nameFirst, 0) << "no text in the name cell";
    EXPECT_GE(nameFirst, textLeft);
    EXPECT_LE(nameFirst, textLeft + 3);
    EXPECT_LT(nameLast, (name.left + name.right) / 2);

    const CRect amount = grid.GetCellRect(row, kAmount);
    const int textRight = amount.right - CGridPainter::kTextMargin;
    const auto [amountFirst, amountLast] = InkExtent(image, amount, kEven);
    ASSERT_GE(amountFirst, 0) << "no text in the amount cell";
    EXPECT_LT(amountLast, textRight);
    EXPECT_GE(amountLast, textRight - 4);
    EXPECT_GT(amountFirst, (amount.left + amount.right) / 2);
}

TEST_F(GridPaintTest, SelectedRowBlendsTheSelectionColourIntoItsBackground)
{
    AddRows(3);
    ASSERT_TRUE(grid.SelectAt(1, ROW_NORMAL));
    const QImage image = Render();
    const GridAppearance& appearance = *grid.GetAppearance();
    EXPECT_EQ(PixelAt(image, Blank(rows[1])),
              Blend(kOdd, appearance.selectionColor, appearance.selectionAlpha));
    EXPECT_EQ(PixelAt(image, Blank(rows[1])), 0xEDDADAu);
    EXPECT_EQ(PixelAt(image, Blank(rows[0])), kEven);
    EXPECT_EQ(PixelAt(image, Blank(rows[2])), kEven);
}

TEST_F(GridPaintTest, RecentlyChangedCellFadesFromTheHighlightColour)
{
    AddRows(2);
    const HighlightSettings settings = *grid.GetHighlightSettings();
    ASSERT_EQ(settings.style, HighlightSettings::BackgroundFading);

    records[0]->SetAmount(1); // cell (row 0, amount) changes now
    ASSERT_TRUE(Ombrel::Test::PumpUntil([&] { return grid.GetElapsedSinceChange(rows[0], kAmount) >= 500; }));
    const std::int64_t before = grid.GetElapsedSinceChange(rows[0], kAmount);
    const QImage image = Render();
    const std::int64_t after = grid.GetElapsedSinceChange(rows[0], kAmount);
    ASSERT_LT(after, settings.durationMs);

    // The background alpha falls linearly from 150 to 0 over the duration: 112 at 500 ms.
    const CRect cell = grid.GetCellRect(rows[0], kAmount);
    const COLORREF pixel = PixelAt(image, CPoint(cell.left + 6, (cell.top + cell.bottom) / 2));
    std::set<COLORREF> possible;
    for (std::int64_t elapsed = before; elapsed <= after; ++elapsed) {
        const int alpha = static_cast<int>(settings.backgroundAlpha *
                                           (settings.durationMs - elapsed) / settings.durationMs);
        possible.insert(Blend(kEven, settings.backgroundColor, alpha));
    }
    EXPECT_TRUE(possible.count(pixel) == 1) << std::hex << pixel;
    if (after <= 506) {
        EXPECT_EQ(pixel, Blend(kEven, 0x0000FF, 112));
    }

    // The other cell of the row and the other row are not highlighted.
    EXPECT_EQ(PixelAt(image, Blank(rows[0])), kEven);
    EXPECT_EQ(PixelAt(image, CPoint(cell.left + 6, (grid.GetRowRect(rows[1]).top + 3))), kOdd);
}

TEST_F(GridPaintTest, BackgroundPictureShowsThroughCellsFromItsRectangleCorner)
{
    AddRows(4);
    // 40 x 30: left half red, right half blue.
    std::vector<std::uint32_t> pixels(40 * 30);
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x)
            pixels[y * 40 + x] = x < 20 ? 0xFFFF0000u : 0xFF0000FFu; // 0xAARRGGBB
    }
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateBitmap(40, 30, 1, 32, pixels.data()));
    const int top = header->GetHeight() + 4;
    BackgroundImage image;
    image.bitmap = &bitmap;
    image.rect = CRect(150, top, 190, top + 30);
    grid.SetBackgroundImage(image);

    const QImage shot = Render();
    EXPECT_EQ(PixelAt(shot, CPoint(155, top + 2)), 0x0000FFu); // red, as COLORREF
    EXPECT_EQ(PixelAt(shot, CPoint(185, top + 27)), 0xFF0000u); // blue
    EXPECT_EQ(PixelAt(shot, CPoint(145, top + 2)), kEven);     // left of the picture
    EXPECT_EQ(PixelAt(shot, CPoint(155, top + 35)), PixelAt(shot, CPoint(145, top + 35)));

    grid.SetBackgroundImage(BackgroundImage());
}

TEST_F(GridPaintTest, DoubleBufferingDoesNotChangeWhatIsShown)
{
    AddRows(5);
    grid.SelectAt(2, ROW_NORMAL);
    ASSERT_TRUE(grid.GetDoubleBuffer());
    const QImage buffered = Render();
    grid.SetDoubleBuffer(false);
    const QImage direct = Render();
    EXPECT_TRUE(buffered == direct);
}

// ---- One update rectangle ----------------------------------------------------------------

class GridPainterBandTest : public GridPaintTest
{
protected:
    // Paints `update` with a painter of the grid onto a bitmap of the client size that starts
    // out in a marker colour, and returns the bitmap's pixels as COLORREF, row by row.
    std::vector<COLORREF> PaintOnMarker(const CRect& update)
    {
        CGridImpl* impl = CGrid::FindImpl(&grid);
        EXPECT_NE(impl, nullptr);
        CGridPainter painter(grid, impl->GetRows(), impl->GetLayout(), impl->GetOptions(),
                             impl->GetTracking());
        CBitmap bitmap;
        EXPECT_TRUE(bitmap.CreateCompatibleBitmap(nullptr, kWidth, kHeight));
        CDC dc;
        EXPECT_TRUE(dc.CreateCompatibleDC(nullptr));
        CBitmap* previous = dc.SelectObject(&bitmap);
        dc.FillSolidRect(CRect(0, 0, kWidth, kHeight), kMarker);
        CFont* font = grid.GetFont() ? grid.GetFont() : CPaintDefaults::Get().GetFont();
        CFont* previousFont = dc.SelectObject(font);
        painter.PaintRectangle(dc, update, grid.GetPaintOptions());
        dc.SelectObject(previousFont);
        dc.SelectObject(previous);

        std::vector<std::uint32_t> raw(kWidth * kHeight);
        bitmap.GetBitmapBits(static_cast<DWORD>(raw.size() * 4), raw.data());
        std::vector<COLORREF> colours;
        colours.reserve(raw.size());
        for (std::uint32_t argb : raw)
            colours.push_back(RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF));
        return colours;
    }

    static COLORREF At(const std::vector<COLORREF>& pixels, int x, int y)
    {
        return pixels[static_cast<std::size_t>(y) * kWidth + x];
    }

    static constexpr COLORREF kMarker = 0x123456;
};

TEST_F(GridPainterBandTest, OnlyTheUpdateRectangleIsPainted)
{
    AddRows(4);
    grid.UpdateLayout();
    grid.SetFocus(-1, ROW_DETACHED);
    const CRect row1 = grid.GetRowRect(rows[1]);
    const CRect update(10, row1.top, 200, row1.bottom);

    const std::vector<COLORREF> pixels = PaintOnMarker(update);
    EXPECT_EQ(At(pixels, 190, (row1.top + row1.bottom) / 2), kOdd);
    EXPECT_EQ(At(pixels, 9, (row1.top + row1.bottom) / 2), kMarker);
    EXPECT_EQ(At(pixels, 200, (row1.top + row1.bottom) / 2), kMarker);
    EXPECT_EQ(At(pixels, 100, row1.top - 1), kMarker);
    EXPECT_EQ(At(pixels, 100, row1.bottom), kMarker);
    EXPECT_EQ(At(pixels, 100, 2), kMarker); // the header strip lies outside
}

// A cell format that gives its cells a colour of their own before painting them as usual.
class CTintedCellFormat : public CCellPaintFormat
{
public:
    static constexpr COLORREF kTint = 0x2040C0;
    void Paint(CellPaintContext& context, CDC& dc, std::uint32_t flags) override
    {
        context.backgroundColor = kTint;
        CCellPaintFormat::Paint(context, dc, flags);
    }
    ICellPaintFormat* CreateNew() const override { return new CTintedCellFormat(); }
};

TEST_F(GridPainterBandTest, LinesAreFilledOnceYetCellsOfAnotherBackgroundStillShowIt)
{
    header->AddColumn(new CColumn(kCity, "City", 60, CColumn::AlignAuto, true, -1, -1, nullptr,
                                  new CTintedCellFormat()));
    grid.SetSortInfo(0, CSortInfo(kAmount, false), true);
    AddRows(2);
    grid.UpdateLayout();
    const CRect client = grid.GetClientRect();
    const GridAppearance& appearance = *grid.GetAppearance();

    std::vector<COLORREF> pixels = PaintOnMarker(client);
    const auto blank = [&](std::int32_t field) {
        const CRect cell = grid.GetCellRect(rows[0], field);
        return At(pixels, cell.right - 3, cell.top + 1);
    };
    EXPECT_EQ(blank(kName), kEven);
    EXPECT_EQ(blank(kAmount), Blend(kEven, appearance.sortColumnColor, appearance.sortColumnAlpha));
    EXPECT_EQ(blank(kCity), CTintedCellFormat::kTint);
    const CRect city = grid.GetCellRect(rows[0], kCity);
    EXPECT_EQ(At(pixels, city.right + 5, city.top + 1), kEven); // right of the last column

    // Without the cell-background step nothing fills the line: what was there stays.
    grid.SetPaintOptions(grid.GetPaintOptions() & ~PaintCellBackground);
    pixels = PaintOnMarker(client);
    EXPECT_EQ(blank(kName), kMarker);
    EXPECT_EQ(blank(kCity), kMarker);
}

TEST_F(GridPainterBandTest, RectangleBelowTheRowsPaintsEmptyLinesOnly)
{
    AddRows(2);
    grid.UpdateLayout();
    const CRect last = grid.GetRowRect(rows[1]);
    const CRect update(0, last.bottom, kWidth, kHeight);

    const std::vector<COLORREF> pixels = PaintOnMarker(update);
    EXPECT_EQ(At(pixels, 100, last.bottom + 1), kEven); // position 2 continues the parity
    EXPECT_EQ(At(pixels, 100, kHeight - 1) == kEven || At(pixels, 100, kHeight - 1) == kOdd,
              true);
    EXPECT_EQ(At(pixels, 100, last.bottom - 1), kMarker);
}

// ---- Screenshot --------------------------------------------------------------------------

// Saves what a window shows as screenshots/<name>.png below the working directory (the build
// folder under CTest), so that a person can look at it. Returns the file's path, empty on
// failure.
std::filesystem::path SaveScreenshot(CWnd& window, const char* name)
{
    const std::filesystem::path folder = std::filesystem::current_path() / "screenshots";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const std::filesystem::path file = folder / (std::string(name) + ".png");
    if (error || !Grab(window).save(QString::fromStdString(file.string()), "PNG"))
        return {};
    return file;
}

TEST_F(GridPaintTest, ScreenshotOfATreeWithFixedRowsSelectionFocusSortMarksAndAFadingCell)
{
    grid.MoveWindow(0, 0, 480, 300);
    header->AddColumn(new CColumn(kCity, "City", 140));
    GridAppearance appearance = *grid.GetAppearance();
    appearance.drawHorizontalLines = true;
    appearance.drawVerticalLines = true;
    grid.SetAppearance(appearance);

    static const char* const kCities[] = {"Lyon", "Oslo", "Porto", "Graz"};
    CGridItem* total = AddRow("Total", 9000, GRID_FIXED_ROOT, "All cities");
    AddRow("Average", 450, GRID_FIXED_ROOT, "All cities");
    std::vector<CGridItem*> parents;
    for (int i = 0; i < 4; ++i) {
        CGridItem* parent = AddRow(i % 2 == 0 ? "Region north" : "Region south", 100 * (i + 1),
                                   GRID_ROOT, kCities[i]);
        for (int child = 0; child < 3; ++child) {
            CString name;
            name.Format("Branch %d.%d", i + 1, child + 1);
            AddRow(name, 10 * (i + 1) + child, parent, kCities[(i + child) % 4]);
        }
        parents.push_back(parent);
    }
    grid.Expand(parents[0]);
    grid.Expand(parents[1]);
    grid.SetSortInfo(0, CSortInfo(kCity, false));
    grid.SetSortInfo(1, CSortInfo(kAmount, true));
    grid.UpdateLayout();
    grid.SelectAt(2, ROW_NORMAL);
    grid.SelectAt(3, ROW_NORMAL);
    grid.SetFocus(5, ROW_NORMAL);
    records[0]->SetAmount(9100); // the total's amount starts to fade
    ASSERT_TRUE(Ombrel::Test::PumpUntil([&] { return grid.GetElapsedSinceChange(total, kAmount) >= 300; }));

    const std::filesystem::path file = SaveScreenshot(grid, "grid");
    ASSERT_FALSE(file.empty());
    QImage saved;
    ASSERT_TRUE(saved.load(QString::fromStdString(file.string())));
    EXPECT_EQ(saved.size(), QSize(480, 300));
}

} // namespace
} // namespace Ombrel::GUI
