#include "ControlTestSupport.h"
#include "support/Harness.h"

#include "ombrel/platform/ComboBox.h"
#include "ombrel/platform/DC.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>

#include <gtest/gtest.h>

namespace Ombrel::Test {
namespace {

constexpr UINT kComboId = 100;

class ComboBoxTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_POPUP | WS_VISIBLE, CRect(60, 60, 360, 300), nullptr, 0));
        ShowAndActivate(parent);
    }

    void CreateCombo(DWORD style)
    {
        ASSERT_TRUE(combo.Create(style | WS_VISIBLE, CRect(10, 10, 210, 34), &parent, kComboId));
        for (const char* item : {"red", "green", "blue"})
            combo.AddString(item);
        combo.SetFocus();
        ASSERT_TRUE(PumpUntil([&] { return CWnd::GetFocus() == &combo; }));
        parent.received.clear();
    }

    // The list notifications (focus changes left out: on the offscreen platform closing the
    // list leaves no window active).
    std::vector<UINT> ListCodes()
    {
        std::vector<UINT> codes = CommandCodes(parent, kComboId);
        std::erase_if(codes, [](UINT code) { return code == CBN_SETFOCUS || code == CBN_KILLFOCUS; });
        return codes;
    }

    QComboBox* Qt() { return WidgetOf(combo)->findChild<QComboBox*>(); }

    void KeyToList(int key)
    {
        QKeyEvent press(QEvent::KeyPress, key, ::Qt::NoModifier);
        QApplication::sendEvent(Qt()->view(), &press);
    }

    CRecordingWnd parent;
    CComboBox combo;
};

TEST_F(ComboBoxTest, ItemsKeepTheirDataAndSortedListsInsertInOrder)
{
    CreateCombo(CBS_DROPDOWNLIST | CBS_SORT);
    ASSERT_EQ(3, combo.GetCount());
    EXPECT_EQ(CString("blue"), combo.GetLBText(0));
    EXPECT_EQ(CString("red"), combo.GetLBText(2));
    EXPECT_EQ(2, combo.AddString("Orange")); // case-insensitive order
    EXPECT_EQ(CB_OKAY, combo.SetItemData(2, 0xFEEDFACECAFEull));
    EXPECT_EQ(0xFEEDFACECAFEull, combo.GetItemData(2));
    EXPECT_EQ(CB_ERR, combo.SetItemData(9, 1));
    EXPECT_EQ(static_cast<UINT_PTR>(CB_ERR), combo.GetItemData(-2));
    EXPECT_EQ(CString(), combo.GetLBText(4));

    EXPECT_EQ(1, combo.FindString(-1, "GR"));
    EXPECT_EQ(2, combo.FindStringExact(-1, "orange"));
    EXPECT_EQ(CB_ERR, combo.FindStringExact(-1, "ora"));
    EXPECT_EQ(3, combo.DeleteString(0));
    EXPECT_EQ(CString("green"), combo.GetLBText(0));
    EXPECT_EQ(0xFEEDFACECAFEull, combo.GetItemData(1));
}

TEST_F(ComboBoxTest, KeyboardSelectionTellsTheParentButSettingDoesNot)
{
    CreateCombo(CBS_DROPDOWNLIST);
    EXPECT_EQ(CB_ERR, combo.GetCurSel());
    EXPECT_EQ(0, combo.SetCurSel(0));
    EXPECT_EQ(CString("red"), combo.GetWindowText());
    EXPECT_TRUE(CommandCodes(parent, kComboId).empty());

    Key(combo, ::Qt::Key_Down);
    EXPECT_EQ(1, combo.GetCurSel());
    EXPECT_EQ(CString("green"), combo.GetWindowText());
    EXPECT_EQ((std::vector<UINT>{CBN_SELCHANGE, CBN_SELENDOK}), CommandCodes(parent, kComboId));

    EXPECT_EQ(CB_ERR, combo.SetCurSel(7));
    EXPECT_EQ(CB_ERR, combo.GetCurSel());
}

TEST_F(ComboBoxTest, ShowDropDownOpensAndClosesTheListAndDroppedStateFollows)
{
    CreateCombo(CBS_DROPDOWNLIST);
    EXPECT_FALSE(combo.GetDroppedState());
    combo.ShowDropDown(true);
    EXPECT_TRUE(combo.GetDroppedState());
    EXPECT_TRUE(Qt()->view()->isVisible());
    EXPECT_EQ(0, CountCode(parent, kComboId, CBN_KILLFOCUS)); // the open list keeps the focus
    combo.ShowDropDown(false);
    EXPECT_FALSE(combo.GetDroppedState());
    ASSERT_TRUE(PumpUntil([&] { return CountCode(parent, kComboId, CBN_CLOSEUP) == 1; }));
    EXPECT_EQ((std::vector<UINT>{CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP}), ListCodes());
}

TEST_F(ComboBoxTest, ItemPickedInTheOpenListIsAcceptedThenTheListClosesUp)
{
    CreateCombo(CBS_DROPDOWNLIST);
    combo.SetCurSel(0);
    combo.ShowDropDown(true);
    KeyToList(::Qt::Key_Down);
    KeyToList(::Qt::Key_Return);
    ASSERT_TRUE(PumpUntil([&] { return CountCode(parent, kComboId, CBN_CLOSEUP) == 1; }));
    EXPECT_EQ(1, combo.GetCurSel());
    EXPECT_FALSE(combo.GetDroppedState());
    EXPECT_EQ((std::vector<UINT>{CBN_DROPDOWN, CBN_SELCHANGE, CBN_SELENDOK, CBN_CLOSEUP}), ListCodes());
}

TEST_F(ComboBoxTest, OwnerDrawnListIsMeasuredOnceAndDrawnByTheParent)
{
    constexpr COLORREF kField = RGB(200, 0, 0);
    int measured = 0;
    std::vector<DRAWITEMSTRUCT> drawn;
    parent.onMessage = [&](UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
        if (message == WM_MEASUREITEM) {
            ++measured;
            reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = 17;
            result = 1;
            return true;
        }
        if (message == WM_DRAWITEM) {
            auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            drawn.push_back(*draw);
            draw->hDC->FillSolidRect(draw->rcItem, kField);
            result = 1;
            return true;
        }
        return false;
    };
    CreateCombo(CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED);
    combo.SetCurSel(2);
    combo.SetItemData(2, 77);
    QImage image = Grab(combo);
    ASSERT_FALSE(drawn.empty());
    const DRAWITEMSTRUCT& field = drawn.back();
    EXPECT_TRUE(field.itemState & ODS_COMBOBOXEDIT);
    EXPECT_EQ(2u, field.itemID);
    EXPECT_EQ(77u, field.itemData);
    EXPECT_EQ(&combo, field.hwndItem);
    EXPECT_EQ(kField, PixelAt(image, field.rcItem.CenterPoint()));

    drawn.clear();
    combo.ShowDropDown(true);
    auto listItems = [&] {
        std::vector<DRAWITEMSTRUCT> items;
        for (const DRAWITEMSTRUCT& draw : drawn) {
            if (!(draw.itemState & ODS_COMBOBOXEDIT))
                items.push_back(draw);
        }
        return items;
    };
    ASSERT_TRUE(PumpUntil([&] { return listItems().size() >= 3; }));
    EXPECT_EQ(17, combo.GetItemHeight(0));
    EXPECT_EQ(1, measured);
    EXPECT_EQ(17, listItems()[0].rcItem.Height());
    combo.ShowDropDown(false);
}

TEST_F(ComboBoxTest, ItemAndFieldHeightsCanBeSet)
{
    CreateCombo(CBS_DROPDOWNLIST);
    EXPECT_EQ(CB_OKAY, combo.SetItemHeight(0, 30));
    EXPECT_EQ(30, combo.GetItemHeight(0));
    EXPECT_EQ(30, Qt()->view()->sizeHintForRow(1));
    EXPECT_EQ(CB_OKAY, combo.SetItemHeight(-1, 40));
    EXPECT_EQ(40, combo.GetItemHeight(-1));
    EXPECT_EQ(40, combo.GetClientRect().Height());
    EXPECT_EQ(CB_ERR, combo.SetItemHeight(0, 0));
}

TEST_F(ComboBoxTest, EditableComboTypesIntoItsFieldAndSimpleStyleIsRefused)
{
    CreateCombo(CBS_DROPDOWN);
    TypeText(combo, "te");
    EXPECT_EQ(CString("te"), combo.GetWindowText());
    EXPECT_EQ(2, CountCode(parent, kComboId, CBN_EDITCHANGE));

    CComboBox simple;
    EXPECT_FALSE(simple.Create(CBS_SIMPLE, CRect(0, 40, 100, 60), &parent, 101));
}

} // namespace
} // namespace Ombrel::Test
