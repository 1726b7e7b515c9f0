// Golden stored files of the visual layer: a column alone, a header alone, and a grid with a
// header, columns (one with a format and both paint formats), sort levels and every setting
// changed. Each test loads the committed bytes into a fresh object, checks every
// stored field, and stores again: the bytes must be the file's, byte for byte.

#include "GridTestSupport.h"
#include "common/StoredFiles.h"

#include "ombrel/Common.h"
#include "ombrel/base/Archive.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/paint/CellPaintFormat.h"
#include "ombrel/gui/paint/ColumnPaintFormat.h"
#include "ombrel/gui/paint/GridAppearance.h"
#include "ombrel/gui/paint/HighlightSettings.h"

#include <gtest/gtest.h>


namespace Ombrel::GUI {
namespace {

using Ombrel::Testing::GoldenBytes;
using Ombrel::Testing::StoredBytes;

template <class Storable>
StoredBytes ArchiveBytes(Storable& storable)
{
    CArchive archive(CArchive::store);
    storable.Serialize(archive);
    return archive.GetBuffer();
}

template <class Storable>
void LoadArchive(Storable& storable, const StoredBytes& bytes)
{
    CArchive archive(bytes, CArchive::load);
    storable.Serialize(archive);
    EXPECT_EQ(archive.GetRemaining(), 0u) << "stored bytes left unread";
}

// A column with every stored field away from its default, a double format and both paint
// formats.
CColumn* FullColumn()
{
    return new CColumn(7, "Price (€)", 95, CColumn::AlignCenter, false, 3, 4,
                       new Common::CDoubleFormat(2, true, false, '$', 0, '\''), new CCellPaintFormat,
                       new CColumnPaintFormat, "user text");
}

void ExpectFullColumn(const CColumn& column)
{
    EXPECT_EQ(column.GetFieldId(), 7);
    EXPECT_EQ(column.GetTitle(), "Price (€)");
    EXPECT_EQ(column.GetWidth(), 95);
    EXPECT_EQ(column.GetAlignment(), CColumn::AlignCenter);
    EXPECT_FALSE(column.IsEditable());
    EXPECT_EQ(column.GetImageIndex(), 3);
    EXPECT_EQ(column.GetHeaderImageIndex(), 4);
    EXPECT_TRUE(column.IsVisible());
    EXPECT_EQ(column.GetUserText(), "user text");
    auto* format = dynamic_cast<Common::CDoubleFormat*>(column.GetFormat());
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format->GetPrecision(), 2);
    EXPECT_TRUE(format->GetTrailingZeros());
    EXPECT_FALSE(format->GetShowZero());
    EXPECT_EQ(format->GetPrefix(), '$');
    EXPECT_EQ(format->GetSuffix(), 0);
    EXPECT_EQ(format->GetSeparator(), '\'');
    ASSERT_NE(column.GetCellPaintFormat(), nullptr);
    EXPECT_EQ(column.GetCellPaintFormat()->GetClassName(), "GUI::CCellPaintFormat");
    ASSERT_NE(column.GetColumnPaintFormat(), nullptr);
    EXPECT_EQ(column.GetColumnPaintFormat()->GetClassName(), "GUI::CColumnPaintFormat");
}

// Four columns: the full one first, a hidden one, an integer column with a hex format, and a
// plain one; two fixed, sort on two levels, the move and reserved flags changed (sorting and
// multi-sort stay on: switching either off clears the sort levels).
void FillHeader(CHeader& header)
{
    header.AddColumn(FullColumn());
    header.AddColumn(new CColumn(2, "Hidden", 40));
    header.AddColumn(new CColumn(3, "Count", 60, CColumn::AlignRight, true, -1, -1,
                                 new Common::CLongFormat(Common::fmHex)));
    header.AddColumn(new CColumn(4, "Plain", 70));
    header.HideColumn(2);
    header.MoveColumnBefore(4, 3);
    header.SetFixedColumnCount(2);
    header.SetHeight(27);
    header.SetSort(0, CSortInfo(3, true));
    header.SetSort(1, CSortInfo(7, false));
    header.SetCanMoveFixedColumns(false);
    header.SetCanMoveScrollableColumns(false);
    header.SetReservedFlag(false);
    header.SetSearchColumn(2);
}

void ExpectFilledHeader(const CHeader& header)
{
    ASSERT_EQ(header.GetColumnCount(), 4);
    EXPECT_EQ(header.GetColumn(0)->GetFieldId(), 7);
    EXPECT_EQ(header.GetColumn(1)->GetFieldId(), 2);
    EXPECT_EQ(header.GetColumn(2)->GetFieldId(), 4);
    EXPECT_EQ(header.GetColumn(3)->GetFieldId(), 3);
    ExpectFullColumn(*header.GetColumn(0));
    EXPECT_FALSE(header.GetColumnById(2)->IsVisible());
    EXPECT_EQ(header.GetColumnById(2)->GetTitle(), "Hidden");
    const CColumn* count = header.GetColumnById(3);
    EXPECT_EQ(count->GetAlignment(), CColumn::AlignRight);
    auto* hex = dynamic_cast<Common::CLongFormat*>(count->GetFormat());
    ASSERT_NE(hex, nullptr);
    EXPECT_EQ(hex->GetMode(), Common::fmHex);
    EXPECT_EQ(header.GetColumnById(4)->GetFormat(), nullptr);
    EXPECT_EQ(header.GetFixedColumnCount(), 2);
    EXPECT_EQ(header.GetHeight(), 27);
    EXPECT_TRUE(header.IsSortEnabled());
    EXPECT_TRUE(header.IsMultiSortEnabled());
    ASSERT_EQ(header.GetSortCount(), 2);
    EXPECT_EQ(header.GetSort(0), CSortInfo(3, true));
    EXPECT_EQ(header.GetSort(1), CSortInfo(7, false));
    EXPECT_FALSE(header.CanMoveFixedColumns());
    EXPECT_FALSE(header.CanMoveScrollableColumns());
    EXPECT_FALSE(header.GetReservedFlag());
    EXPECT_EQ(header.GetSearchColumn(), 2);
}

TEST(GridStoredFilesTest, ColumnLoadsEveryField)
{
    std::unique_ptr<CColumn> built(FullColumn());
    const StoredBytes golden = GoldenBytes("column.bin", ArchiveBytes(*built));
    CColumn restored;
    LoadArchive(restored, golden);
    ExpectFullColumn(restored);
    EXPECT_EQ(ArchiveBytes(restored), golden);
}

TEST(GridStoredFilesTest, HeaderLoadsColumnsOrderSortLevelsAndFlags)
{
    CHeader built;
    FillHeader(built);
    const StoredBytes golden = GoldenBytes("header.bin", ArchiveBytes(built));
    CHeader restored;
    restored.AddColumn(new CColumn(99, "Replaced", 10));
    LoadArchive(restored, golden);
    ExpectFilledHeader(restored);
    EXPECT_EQ(ArchiveBytes(restored), golden);
}

GridAppearance ChangedAppearance()
{
    GridAppearance appearance;
    appearance.oddText = 0x010101;
    appearance.evenText = 0x020202;
    appearance.oddBackground = 0xFAFAFA;
    appearance.evenBackground = 0xF0F0F0;
    appearance.verticalLineColor = 0x303030;
    appearance.horizontalLineColor = 0x404040;
    appearance.selectionColor = 0x505050;
    appearance.selectionAlpha = 11;
    appearance.focusColor = 0x606060;
    appearance.focusAlpha = 12;
    appearance.sortColumnColor = 0x707070;
    appearance.sortColumnAlpha = 13;
    appearance.overlayColor = 0x808081;
    appearance.overlayAlpha = 14;
    appearance.drawVerticalLines = true;
    appearance.drawHorizontalLines = true;
    return appearance;
}

HighlightSettings ChangedHighlight()
{
    HighlightSettings highlight;
    highlight.durationMs = 750;
    highlight.style = HighlightSettings::TextOpaque;
    highlight.textColor = 0x00AA00;
    highlight.backgroundColor = 0x0000AA;
    highlight.textAlpha = 99;
    return highlight;
}

PasteSettings ChangedPaste()
{
    PasteSettings paste;
    paste.copyFixedRows = false;
    paste.copyAllDescendants = false;
    paste.cutNormalRows = false;
    paste.pasteWithoutFocus = false;
    paste.importsCreateObjects = true;
    paste.positionMode = 1;
    paste.focusMode = 2;
    paste.selectionMode = 0;
    return paste;
}

DropSettings ChangedDrop()
{
    DropSettings drop;
    drop.dragFlags = {false, true, false, true};
    drop.acceptIntoFixedRows = false;
    drop.copyWithinGrid = true;
    drop.moveFromOtherGrid = true;
    drop.showDragImage = true;
    drop.markFlags = {true, false, true};
    drop.markColor = 0x010203;
    return drop;
}

EditInPlaceSettings ChangedEditing()
{
    EditInPlaceSettings edit;
    edit.enabled = false;
    edit.startMode = 0;
    edit.singleClickAsksReflector = 0;
    edit.hoverFrameColor = 0x123456;
    edit.drawHoverFrame = false;
    edit.drawEditHints = false;
    edit.editHintsEverywhere = true;
    edit.keyboardNavigation = false;
    return edit;
}

TooltipSettings ChangedTooltip(std::int32_t mode)
{
    TooltipSettings tooltip;
    tooltip.backgroundColor = 0xE0FFFF;
    tooltip.textColor = 0x101010;
    tooltip.borderColor = 0x202020;
    tooltip.initialDelayMs = 123;
    tooltip.displayTimeMs = 4567;
    tooltip.cursorOffset = CPoint(4, -6);
    tooltip.textMargins = CSize(3, 2);
    tooltip.placement = TooltipRight;
    tooltip.mode = mode;
    return tooltip;
}

void ChangeEverySetting(CGrid& grid)
{
    auto* header = new CHeader(true);
    FillHeader(*header);
    grid.SetHeader(header);
    grid.ShowHeader(false);
    grid.SetFocusableTypes(ROW_NORMAL);
    grid.SetAppearance(ChangedAppearance());
    grid.SetPaintOptions(0x5A5A);
    grid.SetDoubleBuffer(false);
    grid.SetStretchImages(true);
    ASSERT_TRUE(grid.SetTooltipKind(TooltipInPlaceElseAtCursor));
    grid.EnableSelection(false);
    grid.EnableMultipleSelection(false);
    grid.SetSelectableTypes(ROW_FIXED);
    grid.SetButtonsOnAllRows(true);
    grid.SetHighlightSettings(ChangedHighlight());
    grid.ShowSeparator(false);
    grid.SetSeparatorThickness(5);
    grid.SetPasteSettings(ChangedPaste());
    grid.EnablePaste(false);
    grid.SetDropSettings(ChangedDrop());
    grid.SetDropOption(true);
    grid.SetSortedTypes(ROW_FIXED);
    grid.SetKeyboardTypes(ROW_FIXED);
    grid.SetEditInPlaceSettings(ChangedEditing());
    ASSERT_TRUE(grid.SetTooltipSettings(ChangedTooltip(2)));
    ASSERT_TRUE(grid.SetInPlaceTooltipSettings(ChangedTooltip(0)));
}

// Without a font: a grid measures its row and header heights from its font's metrics, which
// differ between machines, so a stored font would make the re-stored bytes depend on the fonts
// installed. GridStateTest covers the font description.
TEST(GridStoredFilesTest, GridLoadsHeaderAndEverySetting)
{
    Testing::GridWindow built;
    ChangeEverySetting(built.grid);
    const StoredBytes golden = GoldenBytes("grid.bin", ArchiveBytes(built.grid));

    Testing::GridWindow loaded;
    CGrid& grid = loaded.grid;
    LoadArchive(grid, golden);
    ASSERT_NE(grid.GetHeader(), nullptr);
    ExpectFilledHeader(*grid.GetHeader());
    EXPECT_FALSE(grid.IsHeaderShown());
    EXPECT_FALSE(grid.IsFocusable(ROW_FIXED));
    EXPECT_TRUE(grid.IsFocusable(ROW_NORMAL));
    EXPECT_EQ(*grid.GetAppearance(), ChangedAppearance());
    EXPECT_EQ(grid.GetPaintOptions(), 0x5A5Au);
    EXPECT_FALSE(grid.GetDoubleBuffer());
    EXPECT_TRUE(grid.GetStretchImages());
    EXPECT_EQ(grid.GetTooltipKind(), TooltipInPlaceElseAtCursor);
    EXPECT_FALSE(grid.IsSelectionEnabled());
    EXPECT_FALSE(grid.IsMultipleSelectionEnabled());
    EXPECT_TRUE(grid.IsSelectable(ROW_FIXED));
    EXPECT_FALSE(grid.IsSelectable(ROW_NORMAL));
    EXPECT_TRUE(grid.HasButtonsOnAllRows());
    EXPECT_EQ(*grid.GetHighlightSettings(), ChangedHighlight());
    EXPECT_FALSE(grid.IsSeparatorShown());
    EXPECT_EQ(grid.GetSeparatorThickness(), 5);
    EXPECT_EQ(*grid.GetPasteSettings(), ChangedPaste());
    EXPECT_FALSE(grid.IsPasteEnabled());
    EXPECT_EQ(*grid.GetDropSettings(), ChangedDrop());
    EXPECT_TRUE(grid.GetDropOption());
    EXPECT_EQ(grid.GetSortedTypes(), ROW_FIXED);
    EXPECT_TRUE(grid.IsKeyboardType(ROW_FIXED));
    EXPECT_FALSE(grid.IsKeyboardType(ROW_NORMAL));
    EXPECT_EQ(*grid.GetEditInPlaceSettings(), ChangedEditing());
    EXPECT_EQ(*grid.GetTooltipSettings(), ChangedTooltip(2));
    EXPECT_EQ(*grid.GetInPlaceTooltipSettings(), ChangedTooltip(0));
    EXPECT_EQ(ArchiveBytes(grid), golden);
}

} // namespace
} // namespace Ombrel::GUI
