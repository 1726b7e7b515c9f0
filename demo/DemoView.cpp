#include "DemoView.h"

#include "DemoDocument.h"
#include "DemoEditInPlace.h"
#include "LiveUpdates.h"
#include "MainFrame.h"
#include "TestClass.h"

#include "ombrel/gui/dialogs/HeaderConfigurationDlg.h"
#include "ombrel/gui/edit/EditCodes.h"
#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/grid/GridSettingsRecords.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/paint/GridAppearance.h"

namespace Ombrel::Demo {
namespace {

struct ColumnSetup
{
    std::int32_t fieldId;
    const char* title;
    std::int32_t width;
    bool editable;
};

constexpr ColumnSetup kColumns[] = {
    {CTestClass::kNameField, "Name", 70, false},   {CTestClass::kLongField, "Long", 60, true},
    {CTestClass::kInt64Field, "Int64", 100, true}, {CTestClass::kDoubleField, "Double", 60, true},
    {CTestClass::kDateField, "Date", 80, true},    {CTestClass::kCityField, "City", 80, true},
    {CTestClass::kCheckedField, "Checked", 70, true},
};

// Rows alternate between white and a light grey.
constexpr COLORREF kOddRowBackground = 0xFFFFFF;
constexpr COLORREF kEvenRowBackground = 0xF0F0F0;

// The preselection: two positions of the sorted rows and every row of one object.
constexpr int kPreselectedPositions[] = {3, 4};
constexpr const char* kPreselectedObject = "object 7";

GUI::CHeader* NewHeader()
{
    auto* header = new GUI::CHeader(true); // the grid deletes it
    for (const ColumnSetup& setup : kColumns) {
        auto* column = new GUI::CColumn(setup.fieldId, setup.title, setup.width, GUI::CColumn::AlignAuto,
                                        setup.editable);
        if (!header->AddColumn(column))
            delete column;
    }
    // The name stays in view when the other columns scroll sideways (View > Columns... changes it).
    header->SetFixedColumnCount(1);
    return header;
}

// The header configuration dialog that can hand itself to a caller once it is up (for
// screenshots), then closes as Cancel.
class CColumnsDialog : public GUI::CHeaderConfigurationDlg
{
public:
    static constexpr UINT_PTR kWhileOpenTimer = 1;
    static constexpr UINT kSettleMs = 300;

    CColumnsDialog(GUI::CHeader* header, CWnd* parent, std::function<void(CWnd&)> whileOpen)
        : CHeaderConfigurationDlg(header, parent), m_whileOpen(std::move(whileOpen))
    {
    }

    bool OnInitDialog() override
    {
        const bool result = CHeaderConfigurationDlg::OnInitDialog();
        if (m_whileOpen)
            SetTimer(kWhileOpenTimer, kSettleMs);
        return result;
    }

    void OnTimer(UINT_PTR id) override
    {
        if (id != kWhileOpenTimer) {
            CHeaderConfigurationDlg::OnTimer(id);
            return;
        }
        KillTimer(kWhileOpenTimer);
        m_whileOpen(*this);
        EndDialog(IDCANCEL);
    }

private:
    std::function<void(CWnd&)> m_whileOpen;
};

} // namespace

struct CDemoView::Impl
{
    explicit Impl(CDemoDocument& doc) : document(doc), live(doc) {}

    CDemoDocument& document;
    GUI::CGrid grid;
    CLiveUpdates live;
};

CDemoView::CDemoView(CDemoDocument& document) : m_impl(std::make_unique<Impl>(document)) {}

CDemoView::~CDemoView()
{
    if (IsWindow(this))
        DestroyWindow();
}

CDemoDocument& CDemoView::GetDocument() const
{
    return m_impl->document;
}

GUI::CGrid& CDemoView::GetGrid() const
{
    return m_impl->grid;
}

int CDemoView::OnCreate(CREATESTRUCT* cs)
{
    if (CWnd::OnCreate(cs) == -1)
        return -1;
    return BuildGrid() ? 0 : -1;
}

bool CDemoView::BuildGrid()
{
    GUI::CGrid& grid = m_impl->grid;
    // Scroll bars for `--objects 1000` and narrow windows.
    if (!grid.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, GetClientRect(), this, kGridId))
        return false;
    grid.SetHeader(NewHeader());

    GUI::GridAppearance* appearance = grid.GetAppearance();
    appearance->oddBackground = kOddRowBackground;
    appearance->evenBackground = kEvenRowBackground;
    // A single click on a cell starts editing it; the drop-down and spin buttons of the date
    // and city cells show in every row, so a user sees where a list or a calendar opens.
    GUI::EditInPlaceSettings* editing = grid.GetEditInPlaceSettings();
    editing->startMode = 0;
    editing->editHintsEverywhere = true;
    // A truncated cell shows its whole text over itself; any other cell shows a tooltip at
    // the cursor.
    grid.SetTooltipKind(2);
    // Dragged rows move within the grid (the default), Ctrl copies them, and rows from the
    // grid of another window of the demonstration are taken too; a picture of the rows follows
    // the pointer.
    GUI::DropSettings* drops = grid.GetDropSettings();
    drops->copyWithinGrid = true;
    drops->moveFromOtherGrid = true;
    drops->copyFromOtherGrid = true;
    drops->showDragImage = true;

    // The document's objects go in with one call, however many there are (--objects).
    std::vector<Common::CDataObject*> objects;
    for (const auto& object : m_impl->document.GetObjects())
        objects.push_back(object.get());
    grid.AddMany(objects, GUI::GRID_ROOT, GUI::GRID_LAST);

    grid.SetSortInfo(0, GUI::CSortInfo(CTestClass::kLongField, false));
    grid.SetSortInfo(1, GUI::CSortInfo(CTestClass::kInt64Field, true));
    // Clicking a column header sorts by it; Ctrl+click adds a level.
    grid.SetMultiSortEnabled(true);

    for (int position : kPreselectedPositions)
        grid.SelectAt(position, GUI::ROW_NORMAL, true);
    if (CTestClass* object = m_impl->document.FindObject(kPreselectedObject))
        grid.SelectObject(object, true);
    delete grid.SetEditInPlace(new CDemoEditInPlace()); // the grid deletes it (auto-delete)
    return true;
}

bool CDemoView::EditDateOfFirstRow()
{
    GUI::CGrid& grid = m_impl->grid;
    GUI::CGridItem* first = grid.GetRowAt(0, GUI::ROW_NORMAL);
    return first != nullptr && grid.BeginEdit(first, CTestClass::kDateField, GUI::StartByClick);
}

INT_PTR CDemoView::OpenColumnsDialog(std::function<void(CWnd& dialog)> whileOpen)
{
    GUI::CGrid& grid = m_impl->grid;
    CColumnsDialog dialog(grid.GetHeader(), this, std::move(whileOpen));
    return dialog.DoModal();
}

void CDemoView::OnDestroy()
{
    // The workers go first: nothing may change the objects while their rows are removed, and
    // the document may delete them once this window is gone.
    m_impl->live.Stop();
    if (IsWindow(&m_impl->grid))
        m_impl->grid.RemoveAll(GUI::ROW_ALL_TYPES);
    CWnd::OnDestroy();
}

void CDemoView::OnSize(UINT type, int cx, int cy)
{
    CWnd::OnSize(type, cx, cy);
    if (IsWindow(&m_impl->grid))
        m_impl->grid.MoveWindow(0, 0, cx, cy, true);
}

bool CDemoView::OnCmdMsg(UINT id, int code)
{
    GUI::CGrid& grid = m_impl->grid;
    switch (id) {
    case ID_VIEW_LIVE_UPDATES:
        SetLiveUpdates(!IsLiveUpdating());
        return true;
    case ID_VIEW_COLUMNS:
        OpenColumnsDialog();
        return true;
    case ID_EDIT_COPY:
        grid.Copy();
        return true;
    case ID_EDIT_CUT:
        grid.Cut();
        return true;
    case ID_EDIT_PASTE:
        grid.Paste();
        return true;
    case ID_EDIT_SELECT_ALL:
        grid.SelectAll();
        return true;
    default:
        return CWnd::OnCmdMsg(id, code);
    }
}

void CDemoView::SetLiveUpdates(bool on)
{
    if (on)
        m_impl->live.Start();
    else
        m_impl->live.Stop();
    ShowStatus();
}

bool CDemoView::IsLiveUpdating() const
{
    return m_impl->live.IsRunning();
}

void CDemoView::ShowStatus()
{
    auto* frame = dynamic_cast<CFrameWnd*>(GetParent());
    if (frame == nullptr)
        return;
    CString text;
    text.Format("%s: %d objects. Live updates %s.", m_impl->document.GetTitle().GetString(),
                m_impl->document.GetObjectCount(), IsLiveUpdating() ? "on" : "off (View > Live updates)");
    frame->SetStatusText(text);
}

} // namespace Ombrel::Demo
