// The grid's stored state: round trips with and without a header, versions, damaged input.

#include "GridTestSupport.h"

#include "ombrel/base/Archive.h"
#include "ombrel/base/ArchiveException.h"
#include "ombrel/gui/rows/GridRows.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/paint/GridAppearance.h"
#include "ombrel/gui/paint/HighlightSettings.h"
#include "ombrel/platform/Font.h"

#include <gtest/gtest.h>

#include <cstring>

namespace Ombrel::GUI {
namespace {

std::vector<std::uint8_t> Store(CGrid& grid)
{
    CArchive archive(CArchive::store);
    grid.Serialize(archive);
    return archive.GetBuffer();
}

void Load(CGrid& grid, std::vector<std::uint8_t> bytes)
{
    CArchive archive(std::move(bytes), CArchive::load);
    grid.Serialize(archive);
}

CArchiveException::Cause LoadFailure(CGrid& grid, std::vector<std::uint8_t> bytes)
{
    try {
        Load(grid, std::move(bytes));
    } catch (const CArchiveException& error) {
        return error.GetCause();
    }
    return CArchiveException::none;
}

// Changes every stored setting away from its default.
void ChangeEverything(CGrid& grid)
{
    grid.ShowHeader(false);
    grid.SetFocusableTypes(ROW_NORMAL);
    GridAppearance appearance;
    appearance.oddBackground = 0xFFFFFF;
    appearance.evenBackground = 0xF0F0F0;
    appearance.selectionAlpha = 77;
    appearance.drawHorizontalLines = true;
    grid.SetAppearance(appearance);
    grid.SetPaintOptions(0x5A5A);
    grid.SetDoubleBuffer(false);
    grid.SetStretchImages(true);
    ASSERT_TRUE(grid.SetTooltipKind(TooltipInPlaceElseAtCursor));
    grid.EnableMultipleSelection(false);
    grid.SetSelectableTypes(ROW_FIXED);
    grid.SetButtonsOnAllRows(true);
    HighlightSettings highlight;
    highlight.durationMs = 750;
    highlight.style = HighlightSettings::TextOpaque;
    grid.SetHighlightSettings(highlight);
    grid.ShowSeparator(false);
    grid.SetSeparatorThickness(5);
    PasteSettings paste;
    paste.positionMode = 1;
    paste.importsCreateObjects = true;
    grid.SetPasteSettings(paste);
    grid.EnablePaste(false);
    DropSettings drop;
    drop.copyWithinGrid = true;
    drop.markColor = 0x010203;
    grid.SetDropSettings(drop);
    grid.SetDropOption(true);
    grid.SetSortedTypes(ROW_FIXED);
    grid.SetKeyboardTypes(ROW_FIXED);
    EditInPlaceSettings edit;
    edit.startMode = 0;
    edit.editHintsEverywhere = true;
    grid.SetEditInPlaceSettings(edit);
    TooltipSettings tooltip;
    tooltip.initialDelayMs = 123;
    tooltip.cursorOffset = CPoint(4, -6);
    grid.SetTooltipSettings(tooltip);
    TooltipSettings inPlace;
    inPlace.mode = 0;
    inPlace.textMargins = CSize(3, 2);
    grid.SetInPlaceTooltipSettings(inPlace);
}

TEST(GridStateTest, EverySettingSurvivesARoundTrip)
{
    CGrid original;
    ChangeEverything(original);
    const std::vector<std::uint8_t> bytes = Store(original);

    CGrid restored;
    Load(restored, bytes);
    EXPECT_EQ(Store(restored), bytes);
    EXPECT_FALSE(restored.IsHeaderShown());
    EXPECT_FALSE(restored.IsFocusable(ROW_FIXED));
    EXPECT_EQ(*restored.GetAppearance(), *original.GetAppearance());
    EXPECT_EQ(restored.GetPaintOptions(), 0x5A5Au);
    EXPECT_FALSE(restored.GetDoubleBuffer());
    EXPECT_TRUE(restored.GetStretchImages());
    EXPECT_EQ(restored.GetTooltipKind(), TooltipInPlaceElseAtCursor);
    EXPECT_TRUE(restored.IsSelectionEnabled());
    EXPECT_FALSE(restored.IsMultipleSelectionEnabled());
    EXPECT_FALSE(restored.IsSelectable(ROW_NORMAL));
    EXPECT_TRUE(restored.HasButtonsOnAllRows());
    EXPECT_EQ(*restored.GetHighlightSettings(), *original.GetHighlightSettings());
    EXPECT_FALSE(restored.IsSeparatorShown());
    EXPECT_EQ(restored.GetSeparatorThickness(), 5);
    EXPECT_EQ(*restored.GetPasteSettings(), *original.GetPasteSettings());
    EXPECT_FALSE(restored.IsPasteEnabled());
    EXPECT_EQ(*restored.GetDropSettings(), *original.GetDropSettings());
    EXPECT_TRUE(restored.GetDropOption());
    EXPECT_EQ(restored.GetSortedTypes(), ROW_FIXED);
    EXPECT_FALSE(restored.IsKeyboardType(ROW_NORMAL));
    EXPECT_EQ(*restored.GetEditInPlaceSettings(), *original.GetEditInPlaceSettings());
    EXPECT_EQ(*restored.GetTooltipSettings(), *original.GetTooltipSettings());
    EXPECT_EQ(*restored.GetInPlaceTooltipSettings(), *original.GetInPlaceTooltipSettings());
}

TEST(GridStateTest, HeaderIsRestoredInPlaceOrReplaced)
{
    CGrid original;
    auto* header = new CHeader(true);
    header->AddColumn(new CColumn(1, "One", 40));
    header->AddColumn(new CColumn(2, "Two", 70));
    header->SetSort(0, CSortInfo(2, true));
    original.SetHeader(header);
    const std::vector<std::uint8_t> bytes = Store(original);

    // A grid without a header gets a new one.
    CGrid fresh;
    Load(fresh, bytes);
    ASSERT_NE(fresh.GetHeader(), nullptr);
    EXPECT_NE(fresh.GetHeader(), header);
    EXPECT_EQ(fresh.GetHeader()->GetColumnCount(), 2);
    EXPECT_EQ(fresh.GetHeader()->GetColumnById(2)->GetWidth(), 70);
    EXPECT_EQ(fresh.GetSortInfo(0), CSortInfo(2, true));

    // A grid with a header of the same class loads into it.
    CGrid holder;
    auto* existing = new CHeader(true);
    existing->AddColumn(new CColumn(7, "Seven", 10));
    holder.SetHeader(existing);
    Load(holder, bytes);
    EXPECT_EQ(holder.GetHeader(), existing);
    EXPECT_EQ(existing->GetColumnCount(), 2);
    EXPECT_EQ(existing->GetColumnById(7), nullptr);
    EXPECT_EQ(holder.GetHierarchyColumn(), 1);
}

TEST(GridStateTest, StateWithoutAHeaderRemovesTheCurrentOne)
{
    CGrid empty;
    const std::vector<std::uint8_t> bytes = Store(empty);
    // Facade version, implementation version, then the cleared header flag.
    ASSERT_GE(bytes.size(), 12u);
    const std::vector<std::uint8_t> start(bytes.begin(), bytes.begin() + 12);
    EXPECT_EQ(start, (std::vector<std::uint8_t>{1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0}));

    CGrid holder;
    auto* kept = new CHeader(false); // not marked for deletion: the caller still owns it
    holder.SetHeader(kept);
    Load(holder, bytes);
    EXPECT_EQ(holder.GetHeader(), nullptr);
    // Still alive and no longer listened to.
    kept->AddColumn(new CColumn(1, "One", 10));
    EXPECT_EQ(holder.GetHierarchyColumn(), 0);
    delete kept;
}

TEST(GridStateTest, VersionsAreChecked)
{
    CGrid grid;
    const std::vector<std::uint8_t> bytes = Store(grid);

    std::vector<std::uint8_t> newerGrid = bytes;
    newerGrid[0] = 2;
    EXPECT_EQ(LoadFailure(grid, newerGrid), CArchiveException::badSchema);
    std::vector<std::uint8_t> newerImpl = bytes;
    newerImpl[4] = 2;
    EXPECT_EQ(LoadFailure(grid, newerImpl), CArchiveException::badSchema);

    // A version of 0 or less means nothing else is stored.
    grid.SetPaintOptions(0x11);
    EXPECT_EQ(LoadFailure(grid, {0, 0, 0, 0}), CArchiveException::none);
    EXPECT_EQ(LoadFailure(grid, {1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}), CArchiveException::none);
    EXPECT_EQ(grid.GetPaintOptions(), 0x11u);
}

TEST(GridStateTest, DamagedStateLeavesTheSettingsAsTheyWere)
{
    CGrid source;
    ChangeEverything(source);
    std::vector<std::uint8_t> bytes = Store(source);

    CGrid target;
    const std::vector<std::uint8_t> before = Store(target);
    for (std::size_t cut : {bytes.size() - 1, bytes.size() / 2, std::size_t{13}}) {
        std::vector<std::uint8_t> truncated(bytes.begin(), bytes.begin() + cut);
        EXPECT_EQ(LoadFailure(target, truncated), CArchiveException::endOfFile) << cut;
        EXPECT_EQ(Store(target), before) << cut;
    }

    // A header flag followed by a class nobody registered.
    std::vector<std::uint8_t> unknown = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0xFF, 0xFF, 1, 0, 0, 0, 4};
    for (char ch : std::string("Nope"))
        unknown.push_back(static_cast<std::uint8_t>(ch));
    EXPECT_EQ(LoadFailure(target, unknown), CArchiveException::badClass);
    EXPECT_EQ(target.GetHeader(), nullptr);
}

TEST(GridStateTest, TheFontIsStoredByItsDescription)
{
    Testing::GridWindow window;
    CGrid& grid = window.grid;
    LOGFONT description;
    description.lfHeight = -17;
    description.lfWeight = 700;
    std::strcpy(description.lfFaceName, "Sans");
    CFont font;
    ASSERT_TRUE(font.CreateFontIndirect(description));
    grid.SetFont(&font);
    const std::vector<std::uint8_t> bytes = Store(grid);

    Testing::GridWindow other;
    Load(other.grid, bytes);
    CFont* restored = other.grid.GetFont();
    ASSERT_NE(restored, nullptr);
    LOGFONT read;
    restored->GetLogFont(&read);
    EXPECT_EQ(read.lfHeight, -17);
    EXPECT_EQ(read.lfWeight, 700);
    EXPECT_STREQ(read.lfFaceName, "Sans");
    grid.SetFont(nullptr);
}

} // namespace
} // namespace Ombrel::GUI
