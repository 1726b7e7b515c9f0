// Copy and paste through the real clipboard of the offscreen platform: what the formats
// render, what an import refuses, and that pasting copies objects into new rows or moves cut
// rows without losing or doubling any.

#include "gui/services/ServicesTestSupport.h"

#include "ombrel/common/DynamicObject.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/gui/services/CopyPaste.h"
#include "ombrel/gui/services/LocalDataFormat.h"
#include "ombrel/gui/services/TextClipboardFormat.h"
#include "ombrel/platform/Clipboard.h"

#include "support/Harness.h"

#include <QClipboard>
#include <QGuiApplication>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace Ombrel::GUI {
namespace {

using Testing::ServiceGrid;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::string ClipboardBytes(UINT format)
{
    std::string bytes;
    if (!OpenClipboard(nullptr))
        return "<not open>";
    if (HANDLE block = GetClipboardData(format)) {
        const auto* data = static_cast<const char*>(GlobalLock(block));
        bytes.assign(data, GlobalSize(block));
        GlobalUnlock(block);
    }
    CloseClipboard();
    return bytes;
}

bool PutOnClipboard(UINT format, const std::vector<unsigned char>& bytes)
{
    if (!OpenClipboard(nullptr))
        return false;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_FIXED, bytes.size());
    std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
    const bool placed = SetClipboardData(format, block) != nullptr;
    if (!placed)
        GlobalFree(block);
    CloseClipboard();
    return placed;
}

// A local-data block for these rows, as a copy of `grid` would make it.
std::vector<unsigned char> LocalBlock(CGrid& grid, const std::vector<CGridItem*>& rows)
{
    CLocalDataFormat format;
    format.Render(rows, nullptr);
    std::vector<unsigned char> bytes(static_cast<std::size_t>(format.GetSize()));
    format.GetData(bytes.data(), &grid, ROW_NORMAL, ClipboardCopy);
    return bytes;
}

class CopyPasteTest : public ::testing::Test
{
protected:
    void SetUp() override { QGuiApplication::clipboard()->clear(); }
    void TearDown() override { QGuiApplication::clipboard()->clear(); }
};

TEST_F(CopyPasteTest, TwoRowsOfThreeVisibleColumnsRenderAsTabbedLinesWithOneNul)
{
    ServiceGrid g(0, 4);
    g.grid.SelectAt(1, ROW_NORMAL, true);
    g.grid.SelectAt(2, ROW_NORMAL, true);
    ASSERT_TRUE(g.grid.Copy());
    const std::string expected("n1.1\tn1.2\tn1.3\r\nn2.1\tn2.2\tn2.3\0", 31);
    EXPECT_EQ(ClipboardBytes(CF_TEXT), expected);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(),
              "n1.1\tn1.2\tn1.3\r\nn2.1\tn2.2\tn2.3")
        << "other applications see plain text";
}

TEST_F(CopyPasteTest, AHeaderWithEveryColumnHiddenOffersNoText)
{
    ServiceGrid g(0, 2);
    for (int column = 0; column < Testing::kColumnCount; ++column)
        g.grid.GetHeader()->HideColumn(Testing::kFirstField + column);
    g.grid.SelectAt(0, ROW_NORMAL, true);
    EXPECT_TRUE(g.grid.Copy()) << "the rows still travel as local data";
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_TRUE(IsClipboardFormatAvailable(GetLocalDataClipboardFormat()));

    CTextClipboardFormat text;
    text.Render({g.Normal(0)}, g.grid.GetHeader());
    EXPECT_EQ(text.GetSize(), 0);
}

TEST_F(CopyPasteTest, LocalDataOfAnotherProcessOrRunOrSizeImportsNothing)
{
    ServiceGrid g(0, 3);
    const std::vector<unsigned char> genuine = LocalBlock(g.grid, {g.Normal(0), g.Normal(1)});
    ASSERT_EQ(genuine.size(), CLocalDataFormat::kHeaderSize + 2 * CLocalDataFormat::kEntrySize);

    std::vector<unsigned char> otherProcess = genuine;
    otherProcess[0] ^= 0x5A;
    std::vector<unsigned char> otherRun = genuine;
    otherRun[4] ^= 0x01;
    std::vector<unsigned char> truncated(genuine.begin(), genuine.end() - 1);
    std::vector<unsigned char> padded = genuine;
    padded.push_back(0);
    std::vector<unsigned char> miscounted = genuine;
    miscounted[24] = 3;
    std::vector<unsigned char> unknownOperation = genuine;
    unknownOperation[28] = 7;
    for (const auto* block : {&otherProcess, &otherRun, &truncated, &padded, &miscounted, &unknownOperation}) {
        CLocalDataFormat format;
        ClipboardImport record;
        EXPECT_FALSE(format.Import(block->data(), static_cast<int>(block->size()), nullptr, record));
        EXPECT_THAT(record.rows, IsEmpty());
    }
    CLocalDataFormat format;
    ClipboardImport record;
    ASSERT_TRUE(format.Import(genuine.data(), static_cast<int>(genuine.size()), nullptr, record));
    EXPECT_THAT(record.rows, ElementsAre(g.Normal(0), g.Normal(1)));
    EXPECT_EQ(record.sourceGrid, &g.grid);

    // Through the clipboard: a block of another process pastes nothing.
    ASSERT_TRUE(PutOnClipboard(GetLocalDataClipboardFormat(), otherProcess));
    EXPECT_FALSE(g.grid.Paste());
    EXPECT_EQ(g.grid.GetRowCount(ROW_NORMAL), 3);
}

TEST_F(CopyPasteTest, ARowDeletedBetweenCopyAndPasteIsLeftOut)
{
    ServiceGrid g(0, 4);
    for (int index = 0; index < 3; ++index)
        g.grid.SelectAt(index, ROW_NORMAL, true);
    ASSERT_TRUE(g.grid.Copy());
    ASSERT_TRUE(g.grid.Remove(g.Normal(1)));
    g.grid.SetFocus(-1, ROW_DETACHED);
    ASSERT_TRUE(g.grid.Paste());
    EXPECT_THAT(g.NormalNames(), ElementsAre("n0", "n2", "n3", "n0", "n2"));
}

TEST_F(CopyPasteTest, TheDefaultServiceTriesLocalDataFirstAndTextAloneNeverPastes)
{
    const std::vector<IClipboardFormat*> formats = CCopyPaste::GetDefault().GetFormats();
    ASSERT_EQ(formats.size(), 2u);
    EXPECT_NE(dynamic_cast<CLocalDataFormat*>(formats[0]), nullptr);
    EXPECT_NE(dynamic_cast<CTextClipboardFormat*>(formats[1]), nullptr);

    ServiceGrid g(0, 2);
    QGuiApplication::clipboard()->setText(QStringLiteral("n0.1\tn0.2\tn0.3"));
    ASSERT_TRUE(Ombrel::Test::PumpUntil([] { return IsClipboardFormatAvailable(CF_TEXT); }));
    EXPECT_FALSE(g.grid.Paste());
    EXPECT_EQ(g.grid.GetRowCount(ROW_NORMAL), 2);
}

TEST_F(CopyPasteTest, CopyThenPasteShowsTheSameObjectsInNewRowsAfterTheFocus)
{
    ServiceGrid g(0, 5);
    g.grid.SelectAt(1, ROW_NORMAL, true);
    g.grid.SelectAt(2, ROW_NORMAL, true);
    ASSERT_TRUE(Ombrel::Test::PumpUntil([&] { return true; }));
    ASSERT_TRUE(g.grid.Copy());
    g.grid.SetFocus(3, ROW_NORMAL);
    ASSERT_TRUE(g.grid.Paste());
    EXPECT_THAT(g.NormalNames(), ElementsAre("n0", "n1", "n2", "n3", "n1", "n2", "n4"));
    EXPECT_NE(g.Normal(4), g.Normal(1)) << "a new row";
    EXPECT_EQ(g.grid.GetDataObject(g.Normal(4)), g.grid.GetDataObject(g.Normal(1))) << "the same object";
    // Default modes: focus on the first pasted row, every pasted row selected.
    EXPECT_EQ(g.Focus(), (RowPosition{4, ROW_NORMAL}));
    EXPECT_THAT(g.Selected(), ElementsAre("N4", "N5"));
}

TEST_F(CopyPasteTest, CutLeavesRowsInPlaceUntilAPasteMovesThem)
{
    ServiceGrid g(0, 6);
    CGridItem* first = g.Normal(1);
    g.grid.SelectAt(1, ROW_NORMAL, true);
    g.grid.SelectAt(2, ROW_NORMAL, true);
    ASSERT_TRUE(g.grid.Cut());
    EXPECT_THAT(g.NormalNames(), ElementsAre("n0", "n1", "n2", "n3", "n4", "n5"));
    g.grid.SetFocus(4, ROW_NORMAL);
    ASSERT_TRUE(g.grid.Paste());
    EXPECT_THAT(g.NormalNames(), ElementsAre("n0", "n3", "n4", "n1", "n2", "n5"));
    EXPECT_EQ(g.Normal(3), first) << "the row itself moved";
}

TEST_F(CopyPasteTest, CutRowsPastedOntoTheirOwnPlaceStayThere)
{
    ServiceGrid g(0, 5);
    g.grid.SelectAt(1, ROW_NORMAL, true);
    g.grid.SelectAt(2, ROW_NORMAL, true);
    ASSERT_TRUE(g.grid.Cut());
    g.grid.SetFocus(2, ROW_NORMAL); // after a row that moves itself
    ASSERT_TRUE(g.grid.Paste());
    EXPECT_THAT(g.NormalNames(), ElementsAre("n0", "n1", "n2", "n3", "n4"));
    ASSERT_TRUE(g.grid.Paste()) << "the same content again";
    EXPECT_THAT(g.NormalNames(), ElementsAre("n0", "n1", "n2", "n3", "n4"));
}

TEST_F(CopyPasteTest, ACutRowIsNeverPastedIntoItsOwnSubtree)
{
    ServiceGrid g(0, 0);
    CGridItem* parent = g.AddRow("p");
    CGridItem* child = g.AddRow("c", parent);
    g.AddRow("q");
    g.grid.Expand(parent);
    g.grid.SelectAt(0, ROW_NORMAL, true);
    ASSERT_TRUE(g.grid.Cut());
    PasteSettings settings = *g.grid.GetPasteSettings();
    settings.positionMode = 0; // first child of the focused row
    g.grid.SetPasteSettings(settings);
    g.grid.SetFocus(g.grid.GetVisibleIndex(child), ROW_NORMAL);
    EXPECT_FALSE(g.grid.Paste());
    EXPECT_EQ(g.grid.GetParent(parent), GRID_ROOT);
    EXPECT_EQ(g.grid.GetParent(child), parent);
    EXPECT_EQ(g.grid.GetRowCount(ROW_NORMAL), 3);
}

TEST_F(CopyPasteTest, PastingCutRowsAfterTheGridWasEmptiedInsertsNothing)
{
    ServiceGrid g(0, 3);
    g.grid.SelectAll();
    ASSERT_TRUE(g.grid.Cut());
    ASSERT_TRUE(g.grid.RemoveAll());
    EXPECT_FALSE(g.grid.Paste());
    EXPECT_EQ(g.grid.GetRowCount(ROW_NORMAL), 0);
}

TEST_F(CopyPasteTest, CutRowsMoveToAnotherGridAndAreGoneFromTheFirst)
{
    ServiceGrid source(0, 4);
    ServiceGrid target(0, 1);
    source.grid.SelectAt(0, ROW_NORMAL, true);
    source.grid.SelectAt(3, ROW_NORMAL, true);
    ASSERT_TRUE(source.grid.Cut());
    target.grid.SetFocus(-1, ROW_DETACHED);
    ASSERT_TRUE(target.grid.Paste());
    EXPECT_THAT(source.NormalNames(), ElementsAre("n1", "n2"));
    EXPECT_EQ(target.grid.GetRowCount(ROW_NORMAL), 3);
    EXPECT_EQ(source.grid.GetFocusIndex(), -1) << "the source's focus is cleared first";
    EXPECT_FALSE(target.grid.Paste()) << "the rows are no longer in the grid they were cut from";
}

TEST_F(CopyPasteTest, PositionModesAndSwitchesDecideWhereAndWhetherRowsGo)
{
    ServiceGrid g(1, 0);
    CGridItem* parent = g.AddRow("p");
    g.AddRow("c", parent);
    g.grid.SelectAt(0, ROW_FIXED, true);
    ASSERT_TRUE(g.grid.Copy());
    PasteSettings settings = *g.grid.GetPasteSettings();
    settings.positionMode = 1; // last child of the focused row
    g.grid.SetPasteSettings(settings);
    g.grid.SetFocus(0, ROW_NORMAL);
    ASSERT_TRUE(g.grid.Paste());
    std::vector<CGridItem*> children;
    g.grid.GetChildren(parent, children);
    ASSERT_EQ(children.size(), 2u);
    EXPECT_EQ(g.grid.GetDataObject(children[1]), g.grid.GetDataObject(g.Fixed(0)));
    EXPECT_TRUE(g.grid.IsExpanded(parent));

    settings.pasteIntoNormalRows = false;
    g.grid.SetPasteSettings(settings);
    g.grid.SetFocus(0, ROW_NORMAL);
    EXPECT_FALSE(g.grid.Paste()) << "not into the focused row's type";
    settings.pasteIntoNormalRows = true;
    settings.positionMode = 9; // what a damaged stored state could hold
    g.grid.SetPasteSettings(settings);
    EXPECT_FALSE(g.grid.Paste());
    settings.positionMode = 3;
    g.grid.SetPasteSettings(settings);
    g.grid.EnablePaste(false);
    EXPECT_FALSE(g.grid.CanPaste());
    EXPECT_FALSE(g.grid.Paste());
    g.grid.EnablePaste(true);
    EXPECT_TRUE(g.grid.CanPaste());
    EXPECT_EQ(g.grid.GetRowCount(ROW_NORMAL), 3);
}

TEST_F(CopyPasteTest, CtrlCAndCtrlVCopyAndPasteThroughTheKeyManager)
{
    ServiceGrid g(0, 3);
    g.grid.SetFocus(0, ROW_NORMAL);
    g.grid.SelectAt(0, ROW_NORMAL, true);
    Ombrel::Test::Key(g.grid, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(IsClipboardFormatAvailable(GetLocalDataClipboardFormat()));
    Ombrel::Test::Key(g.grid, Qt::Key_V, Qt::ControlModifier);
    EXPECT_THAT(g.NormalNames(), ElementsAre("n0", "n0", "n1", "n2"));
    g.grid.ClearSelection();
    g.grid.SelectAt(2, ROW_NORMAL, true);
    Ombrel::Test::Key(g.grid, Qt::Key_X, Qt::ControlModifier);
    g.grid.SetFocus(3, ROW_NORMAL);
    Ombrel::Test::Key(g.grid, Qt::Key_V, Qt::ControlModifier);
    EXPECT_THAT(g.NormalNames(), ElementsAre("n0", "n0", "n2", "n1"));
}

TEST_F(CopyPasteTest, CopyTakesDescendantsAsTheSettingsSay)
{
    ServiceGrid g(0, 0);
    CGridItem* parent = g.AddRow("p");
    CGridItem* child = g.AddRow("c", parent);
    g.AddRow("d", parent);
    g.grid.Expand(parent);
    g.grid.SelectAt(0, ROW_NORMAL, true);
    ASSERT_TRUE(g.grid.Copy());
    EXPECT_EQ(ClipboardBytes(CF_TEXT).substr(0, 15), "p.1\tp.2\tp.3\r\nc.") << "all descendants";

    PasteSettings settings = *g.grid.GetPasteSettings();
    settings.copyAllDescendants = false;
    g.grid.SetPasteSettings(settings);
    g.grid.Select(child, true);
    g.grid.Collapse(parent); // a hidden selected descendant still comes along
    g.grid.SelectAt(0, ROW_NORMAL, true);
    ASSERT_TRUE(g.grid.Copy());
    EXPECT_EQ(ClipboardBytes(CF_TEXT), std::string("p.1\tp.2\tp.3\r\nc.1\tc.2\tc.3\0", 25));
}

TEST(ClipboardFormatNamesTest, GridRowFormatsAreRegisteredOnceUnderTheirNames)
{
    const UINT local = GetLocalDataClipboardFormat();
    const UINT remote = GetRemoteDataClipboardFormat();
    EXPECT_GE(local, kFirstRegisteredClipboardFormat);
    EXPECT_NE(local, remote);
    EXPECT_EQ(GetLocalDataClipboardFormat(), local);
    char name[64] = {};
    ASSERT_GT(GetClipboardFormatName(local, name, sizeof(name)), 0);
    EXPECT_STREQ(name, "Ombrel.LocalDataFormat");
    ASSERT_GT(GetClipboardFormatName(remote, name, sizeof(name)), 0);
    EXPECT_STREQ(name, "Ombrel.RemoteDataFormat");
    EXPECT_EQ(CLocalDataFormat().GetClipboardFormat(), local);
}

TEST(ObjectImporterTest, UnknownClassesBecomeDynamicObjectsKeptUntilReleased)
{
    CCopyPaste service(true);
    Common::CDataObject* made = service.CreateObject("Nobody.Registered");
    auto* dynamic = dynamic_cast<Common::CDynamicObject*>(made);
    ASSERT_NE(dynamic, nullptr);
    EXPECT_TRUE(dynamic->SetLong(7, 5));
    std::vector<Common::CDataObject*> created;
    service.GetCreatedObjects(created);
    EXPECT_THAT(created, ElementsAre(made));
    service.ReleaseCreatedObjects(false);
    created.clear();
    service.GetCreatedObjects(created);
    EXPECT_THAT(created, IsEmpty());
    delete made;
}

} // namespace
} // namespace Ombrel::GUI
