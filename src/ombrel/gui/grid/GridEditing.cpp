// In-place editing on the grid's side; the flow of one edit is sketched in GridEditing.h.
//
// Sections: state and context | starting | ending | the editor's hook | the grid window's
// hook | presses and hover | painting | service calls

#include "ombrel/gui/grid/detail/GridEditing.h"

#include "ombrel/gui/edit/ControlReflector.h"
#include "ombrel/gui/edit/EditCodes.h"
#include "ombrel/gui/edit/EditInPlace.h"
#include "ombrel/gui/edit/HookWnd.h"
#include "ombrel/gui/edit/detail/ReflectorTools.h"
#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/grid/GridNotifications.h"
#include "ombrel/gui/grid/detail/GridImpl.h"
#include "ombrel/gui/grid/detail/GridLayout.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/paint/PaintContext.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/gui/rows/GridRows.h"
#include "ombrel/platform/ControlMessages.h"
#include "ombrel/platform/Input.h"
#include "ombrel/platform/WindowMessaging.h"

#include <utility>

namespace Ombrel::GUI {

namespace {

// The end code of a key pressed in the editor; EndNone for keys that do not end it.
int CodeOfKey(UINT key)
{
    switch (key) {
    case VK_RETURN: return EndEnter;
    case VK_ESCAPE: return EndEscape;
    case VK_UP: return EndUp;
    case VK_DOWN: return EndDown;
    case VK_LEFT: return EndLeft;
    case VK_RIGHT: return EndRight;
    case VK_PRIOR: return EndPageUp;
    case VK_NEXT: return EndPageDown;
    case VK_HOME: return EndHome;
    case VK_END: return EndEnd;
    case VK_TAB:
        if (GetKeyState(VK_CONTROL) < 0)
            return EndCtrlTab;
        return GetKeyState(VK_SHIFT) < 0 ? EndShiftTab : EndTab;
    default: return EndNone;
    }
}

bool IsNavigationCode(int code)
{
    return code >= EndUp && code <= EndWheelBackward && code != EndUnused;
}

bool IsInside(CWnd* window, const CWnd& ancestor)
{
    for (CWnd* at = window; at != nullptr; at = at->GetParent()) {
        if (at == &ancestor)
            return true;
    }
    return false;
}

} // namespace

// ---- State and context ---------------------------------------------------------------------

class CEditorHook;
class CGridWindowHook;

struct CGridEditing::Impl
{
    Impl(CGrid& gridWindow, CGridImpl& gridImpl, CGridRows& gridRows, CGridLayout& gridLayout)
        : grid(gridWindow), impl(gridImpl), rows(gridRows), layout(gridLayout)
    {
    }

    enum class State
    {
        Idle,
        Starting, // inside the policy's StartEdit: an EndEdit now is kept for afterwards
        Editing,
    };

    // The cell being edited (row handle, field identifier) and what started it.
    struct EditedCell
    {
        CGridItem* row = nullptr;
        std::int32_t fieldId = -2;
        int trigger = 0;
        std::uint64_t number = 0; // counts edits; end requests name the edit they end
    };

    CGrid& grid;
    CGridImpl& impl;
    CGridRows& rows;
    CGridLayout& layout;
    IEditInPlace* ownPolicy = nullptr; // null: the process default
    State state = State::Idle;
    EditedCell cell;
    std::uint64_t editCount = 0;
    int pendingEnd = -1;               // an EndEdit asked for while starting
    CWnd* editor = nullptr;            // owned by the reflector; forgotten on its destruction
    std::unique_ptr<CEditorHook> editorHook;
    std::unique_ptr<CGridWindowHook> windowHook;
    bool editorHidden = false;         // hidden here while its cell is out of view
    // The cell under the mouse, for the hover frame and the hints.
    CGridItem* hoverRow = nullptr;
    std::int32_t hoverField = -2;

    IEditInPlace& Policy() const
    {
        return ownPolicy != nullptr ? *ownPolicy : CEditInPlace::GetDefault();
    }
    CColumn* ColumnOf(std::int32_t fieldId) const
    {
        CHeader* header = grid.GetHeader();
        return header != nullptr ? header->GetColumnById(fieldId) : nullptr;
    }
    // The context of an edited cell; without row and object once the row has left the grid.
    CEditContext ContextOf(const EditedCell& edited) const
    {
        CColumn* column = ColumnOf(edited.fieldId);
        if (!rows.IsValid(edited.row))
            return CEditContext{&grid, nullptr, nullptr, column};
        return CEditContext::Of(&grid, edited.row, column);
    }

    bool Begin(CGridItem* row, std::int32_t fieldId, int trigger);
    bool End(int code);
    void StartEditor(CWnd* window);
    void StopEditor();
    CWnd* FindEditor() const;
    bool OfferEnd(int code);
    void FollowCell();
    void Flash(CGridItem* row, std::int32_t fieldId);
    void Notify(int code, CGridItem* row, CColumn* column, int endCode, bool written);
    void TrackHover(CPoint point);
    void InvalidateCell(CGridItem* row, std::int32_t fieldId);
    bool OnPress(CPoint point, int trigger);
};

// ---- The editor's hook ---------------------------------------------------------------------

// Sees the editor's messages before the editor: keys, clicks, the wheel and focus loss become
// end codes that the policy may accept (the message is then kept from the editor, except a
// focus loss, which the editor must still see).
class CEditorHook final : public CHookWnd
{
public:
    explicit CEditorHook(CGridEditing::Impl& owner) : m_owner(owner) {}

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (const int code = CodeOfKey(static_cast<UINT>(wParam)); code != EndNone && m_owner.OfferEnd(code)) {
                m_swallowCharacter = true;
                return 0;
            }
            m_swallowCharacter = false;
            break;
        case WM_CHAR:
            // The character of a key that ended the edit (Enter, Tab, Escape) is no input.
            if (std::exchange(m_swallowCharacter, false))
                return 0;
            break;
        case WM_MOUSEWHEEL:
            if (OfferEnd(GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? EndWheelForward : EndWheelBackward))
                return 0;
            break;
        case WM_RBUTTONDOWN:
            if (OfferEnd(EndRightButton))
                return 0;
            break;
        case WM_LBUTTONDOWN:
            m_pressedHere = true;
            if (OfferEnd(EndLeftButton))
                return 0;
            break;
        case WM_LBUTTONDBLCLK:
            // Both clicks of a double click must land on the editor; the first one of a double
            // click that started the edit landed on the grid, so this is a plain press.
            if (OfferEnd(std::exchange(m_pressedHere, true) ? EndLeftDoubleClick : EndLeftButton))
                return 0;
            break;
        case WM_RBUTTONDBLCLK:
            if (OfferEnd(EndRightDoubleClick))
                return 0;
            break;
        case WM_KILLFOCUS: {
            auto* gaining = reinterpret_cast<CWnd*>(wParam);
            // Focus moving within the editor (a part of a composite control) is no loss.
            if (gaining == nullptr || !IsInside(gaining, *GetHookedWindow()))
                m_owner.OfferEnd(EndFocusLost);
            break;
        }
        case WM_NCDESTROY: {
            const LRESULT result = CallNext(message, wParam, lParam);
            m_owner.editor = nullptr; // destroyed by someone else: nothing to place or destroy
            Unhook();
            return result;
        }
        default:
            break;
        }
        return CallNext(message, wParam, lParam);
    }

private:
    bool OfferEnd(int code) { return m_owner.OfferEnd(code); }

    CGridEditing::Impl& m_owner;
    bool m_swallowCharacter = false;
    bool m_pressedHere = false;
};

// ---- The grid window's hook ----------------------------------------------------------------

// Keeps the editor on its cell before each paint, and turns the drop-down's accepted and
// cancelled choices (told to the grid as commands) into end codes.
class CGridWindowHook final : public CHookWnd
{
public:
    explicit CGridWindowHook(CGridEditing::Impl& owner) : m_owner(owner) {}

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_PAINT) {
            m_owner.FollowCell();
        } else if (message == WM_COMMAND && m_owner.editor != nullptr &&
                   reinterpret_cast<CWnd*>(lParam) == m_owner.editor) {
            const UINT notification = HIWORD(wParam);
            if (notification == CBN_SELENDOK)
                m_owner.OfferEnd(EndDropDownAccepted);
            else if (notification == CBN_SELENDCANCEL)
                m_owner.OfferEnd(EndDropDownCancelled);
        }
        return CallNext(message, wParam, lParam);
    }

private:
    CGridEditing::Impl& m_owner;
};

// ---- Starting ------------------------------------------------------------------------------

bool CGridEditing::Impl::Begin(CGridItem* row, std::int32_t fieldId, int trigger)
{
    if (state != State::Idle || grid.GetSafeHwnd() == nullptr || !rows.IsValid(row))
        return false;
    CColumn* column = ColumnOf(fieldId);
    if (column == nullptr || !column->IsVisible())
        return false;
    IEditInPlace& policy = Policy();
    const CEditContext context = CEditContext::Of(&grid, row, column);
    if (!policy.CanStartEdit(context, trigger))
        return false;
    layout.EnsureVisible(row);
    grid.EnsureColumnVisible(fieldId);
    state = State::Starting;
    cell = EditedCell{row, fieldId, trigger, ++editCount};
    pendingEnd = -1;
    if (!policy.StartEdit(context, trigger, nullptr)) {
        state = State::Idle;
        cell = EditedCell{};
        return false;
    }
    StartEditor(FindEditor());
    state = State::Editing;
    policy.OnEditStarted(context, row);
    Notify(GN_BEGINEDIT, row, column, 0, false);
    if (pendingEnd >= 0)
        End(std::exchange(pendingEnd, -1));
    return true;
}

CWnd* CGridEditing::Impl::FindEditor() const
{
    if (auto* standard = dynamic_cast<CEditInPlace*>(&Policy())) {
        IControlReflector* reflector = standard->GetActiveReflector();
        return reflector != nullptr ? reflector->GetEditor() : nullptr;
    }
    // A policy of another kind: the window it gave the focus to inside the grid.
    CWnd* focus = CWnd::GetFocus();
    return focus != nullptr && focus != &grid && IsInside(focus, grid) ? focus : nullptr;
}

void CGridEditing::Impl::StartEditor(CWnd* window)
{
    editor = window;
    editorHidden = false;
    if (editor == nullptr)
        return;
    editorHook = std::make_unique<CEditorHook>(*this);
    editorHook->Hook(editor);
}

// ---- Ending --------------------------------------------------------------------------------

void CGridEditing::Impl::StopEditor()
{
    if (editor != nullptr && editor->GetSafeHwnd() != nullptr) {
        // The grid takes the focus back while the editor still exists, so that its loss of
        // focus is no end request of its own (the hook is gone first).
        const bool hadFocus = IsInside(CWnd::GetFocus(), *editor);
        editorHook.reset();
        if (hadFocus)
            grid.CWnd::SetFocus();
    }
    editorHook.reset();
    editor = nullptr;
}

bool CGridEditing::Impl::End(int code)
{
    if (state == State::Starting) {
        pendingEnd = code;
        return true;
    }
    if (state != State::Editing)
        return false;
    const EditedCell ended = std::exchange(cell, EditedCell{});
    state = State::Idle;
    CWnd* endedEditor = editor;
    StopEditor();
    const CEditContext context = ContextOf(ended);
    IEditInPlace& policy = Policy();
    const bool written = policy.StopEdit(context, code, endedEditor, nullptr);
    const bool commit = CEditInPlace::IsCommitCode(code);
    if (commit && !written && context.row != nullptr)
        Flash(context.row, ended.fieldId); // the value stays: show that nothing was taken
    Notify(GN_ENDEDIT, context.row, context.column, code, written);
    const bool navigate = IsNavigationCode(code) && context.row != nullptr &&
                          grid.GetEditInPlaceSettings()->keyboardNavigation;
    if (navigate && state == State::Idle)
        policy.MoveToNextCell(context, code);
    return true;
}

void CGridEditing::Impl::Flash(CGridItem* row, std::int32_t fieldId)
{
    row->MarkFieldChanged(fieldId);
    impl.RepaintCell(row, fieldId);
}

void CGridEditing::Impl::Notify(int code, CGridItem* row, CColumn* column, int endCode, bool written)
{
    NMGRIDEDIT payload;
    payload.hdr.code = static_cast<UINT>(code);
    payload.code = static_cast<UINT>(code);
    payload.grid = &grid;
    payload.column = column;
    payload.row = row;
    payload.endCode = endCode;
    payload.written = written;
    impl.NotifyEdit(payload);
}

bool CGridEditing::Impl::OfferEnd(int code)
{
    if (state != State::Editing)
        return false;
    const CEditContext context = ContextOf(cell);
    if (context.row == nullptr) {
        // The row left the grid: its end was already run; nothing of it is read any more.
        return false;
    }
    if (!Policy().ShouldEndEdit(context, code))
        return false;
    impl.PostEndEditRequest(cell.row, cell.fieldId, code, cell.number);
    return true;
}

// ---- Keeping the editor on its cell --------------------------------------------------------

void CGridEditing::Impl::FollowCell()
{
    if (state != State::Editing || editor == nullptr || editor->GetSafeHwnd() == nullptr ||
        !rows.IsValid(cell.row))
        return;
    const CRect visible = layout.GetVisibleCellRect(cell.row, cell.fieldId);
    if (visible.IsRectEmpty()) {
        if (!editorHidden && editor->IsWindowVisible()) {
            editor->ShowWindow(SW_HIDE);
            editorHidden = true;
        }
        return;
    }
    CRect current;
    editor->GetWindowRect(&current);
    grid.ScreenToClient(&current);
    if (current != visible)
        editor->MoveWindow(visible, true);
    if (editorHidden) {
        editor->ShowWindow(SW_SHOW);
        editorHidden = false;
    }
}

// ---- Presses and hover ---------------------------------------------------------------------

bool CGridEditing::Impl::OnPress(CPoint point, int trigger)
{
    CGridItem* pressedRow = layout.HitTestRow(point.x, point.y);
    CColumn* pressedColumn = pressedRow != nullptr ? layout.HitTestColumn(point.x, point.y) : nullptr;
    if (trigger == StartByDoubleClick && state == State::Editing && pressedRow == cell.row &&
        pressedColumn != nullptr && pressedColumn->GetFieldId() == cell.fieldId)
        return true; // the second click of the click that opened this editor
    if (state == State::Editing)
        End(EndFocusLost);
    if (pressedColumn == nullptr || layout.HitTestExpandButton(point) != nullptr)
        return false;
    // The press may have ended an edit that moved or removed rows: look again.
    pressedRow = layout.HitTestRow(point.x, point.y);
    return pressedRow != nullptr && Begin(pressedRow, pressedColumn->GetFieldId(), trigger);
}

void CGridEditing::Impl::InvalidateCell(CGridItem* row, std::int32_t fieldId)
{
    if (row != nullptr && rows.IsValid(row))
        layout.InvalidateCell(row, fieldId);
}

void CGridEditing::Impl::TrackHover(CPoint point)
{
    CGridItem* row = layout.HitTestRow(point.x, point.y);
    CColumn* column = row != nullptr ? layout.HitTestColumn(point.x, point.y) : nullptr;
    const std::int32_t fieldId = column != nullptr ? column->GetFieldId() : -2;
    if (row == hoverRow && fieldId == hoverField)
        return;
    const EditInPlaceSettings& settings = *grid.GetEditInPlaceSettings();
    if (settings.enabled && (settings.drawHoverFrame || settings.drawEditHints)) {
        InvalidateCell(hoverRow, hoverField);
        InvalidateCell(row, fieldId);
    }
    hoverRow = row;
    hoverField = fieldId;
}

// ---- CGridEditing --------------------------------------------------------------------------

CGridEditing::CGridEditing(CGrid& grid, CGridImpl& impl, CGridRows& rows, CGridLayout& layout)
    : m_impl(std::make_unique<Impl>(grid, impl, rows, layout))
{
}

CGridEditing::~CGridEditing()
{
    m_impl->editorHook.reset();
    m_impl->windowHook.reset();
}

IEditInPlace* CGridEditing::SetPolicy(IEditInPlace* policy)
{
    if (policy == m_impl->ownPolicy)
        return nullptr;
    // The policy that runs the edit in progress must also end it.
    EndEdit(EndFocusLost);
    return std::exchange(m_impl->ownPolicy, policy);
}

IEditInPlace* CGridEditing::GetPolicy() const
{
    return &m_impl->Policy();
}

void CGridEditing::ReleasePolicy()
{
    IEditInPlace* own = std::exchange(m_impl->ownPolicy, nullptr);
    if (own != nullptr && own->IsAutoDelete())
        delete own;
}

bool CGridEditing::CanBeginEdit(CGridItem* row, std::int32_t fieldId, int trigger)
{
    if (!m_impl->rows.IsValid(row))
        return false;
    CColumn* column = m_impl->ColumnOf(fieldId);
    return column != nullptr &&
           m_impl->Policy().CanStartEdit(CEditContext::Of(&m_impl->grid, row, column), trigger);
}

bool CGridEditing::BeginEdit(CGridItem* row, std::int32_t fieldId, int trigger)
{
    return m_impl->Begin(row, fieldId, trigger);
}

bool CGridEditing::EndEdit(int code)
{
    return m_impl->End(code);
}

void CGridEditing::OnEndRequest(CGridItem* row, std::int32_t fieldId, int code, std::uint64_t editNumber)
{
    const Impl::EditedCell& cell = m_impl->cell;
    if (m_impl->state == Impl::State::Editing && cell.number == editNumber && cell.row == row &&
        cell.fieldId == fieldId)
        m_impl->End(code);
}

CWnd* CGridEditing::GetEditor() const
{
    return m_impl->editor;
}

// ---- Painting -------------------------------------------------------------------------------

bool CGridEditing::IsPointerOverCell(CGridItem* row, std::int32_t fieldId) const
{
    return row != nullptr && row == m_impl->hoverRow && fieldId == m_impl->hoverField;
}

std::uint32_t CGridEditing::AdjustPaintFlags(CellPaintContext& context, CDC& dc, std::uint32_t flags)
{
    const EditInPlaceSettings& settings = Detail::PaintedEditSettings(context, m_impl->grid);
    if (!settings.enabled || context.row == nullptr || context.column == nullptr)
        return flags;
    return m_impl->Policy().AdjustPaintFlags(context, dc, flags);
}

void CGridEditing::DrawEditHint(CellPaintContext& context, CDC& dc, std::uint32_t flags)
{
    const EditInPlaceSettings& settings = Detail::PaintedEditSettings(context, m_impl->grid);
    const bool anyHint = settings.drawHoverFrame || settings.drawEditHints || settings.editHintsEverywhere;
    if (!settings.enabled || !anyHint || context.row == nullptr || context.column == nullptr)
        return;
    m_impl->Policy().DrawEditHint(context, dc, flags);
}

// ---- Service calls --------------------------------------------------------------------------

bool CGridEditing::PreFilterMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    const CPoint point(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (m_impl->OnPress(point, message == WM_LBUTTONDOWN ? StartByClick : StartByDoubleClick)) {
            result = 0;
            return true;
        }
        return false;
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        EndEdit(EndFocusLost);
        return false;
    case WM_MOUSEMOVE:
        m_impl->TrackHover(point);
        return false;
    case WM_MOUSELEAVE:
        m_impl->InvalidateCell(m_impl->hoverRow, m_impl->hoverField);
        m_impl->hoverRow = nullptr;
        m_impl->hoverField = -2;
        return false;
    default:
        (void)wParam;
        return false;
    }
}

void CGridEditing::OnWindowCreated()
{
    m_impl->windowHook = std::make_unique<CGridWindowHook>(*m_impl);
    m_impl->windowHook->Hook(&m_impl->grid);
}

void CGridEditing::OnWindowDestroying()
{
    EndEdit(EndNone);
    m_impl->windowHook.reset();
    m_impl->hoverRow = nullptr;
}

void CGridEditing::OnViewScrolled()
{
    m_impl->FollowCell();
}

bool CGridEditing::IsEditing() const
{
    return m_impl->state != Impl::State::Idle;
}

void CGridEditing::EndEditing(int endCode)
{
    EndEdit(endCode);
}

void CGridEditing::OnRowLeaving(CGridItem* row, bool removed)
{
    if (row == m_impl->hoverRow)
        m_impl->hoverRow = nullptr;
    if (m_impl->state == Impl::State::Idle || row != m_impl->cell.row)
        return;
    if (!removed) {
        EndEdit(EndFocusLost); // a detached row and its object live on: keep the user's value
        return;
    }
    // The row goes, perhaps because its object is being destroyed: end without writing and
    // without reading the object again.
    Impl& impl = *m_impl;
    if (impl.state == Impl::State::Starting) {
        impl.pendingEnd = EndNone;
        return;
    }
    const Impl::EditedCell ended = std::exchange(impl.cell, Impl::EditedCell{});
    impl.state = Impl::State::Idle;
    CWnd* endedEditor = impl.editor;
    impl.StopEditor();
    const CEditContext context{&impl.grid, nullptr, nullptr, impl.ColumnOf(ended.fieldId)};
    impl.Policy().StopEdit(context, EndNone, endedEditor, nullptr);
    impl.Notify(GN_ENDEDIT, row, context.column, EndNone, false);
}

} // namespace Ombrel::GUI
