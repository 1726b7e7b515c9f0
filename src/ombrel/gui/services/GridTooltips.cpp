// One grid's tooltips: operations, and the timing of showing and hiding (flow sketch in
// GridTooltips.h).
//
// Sections: 1. controls and provider  2. operations  3. showing and hiding  4. messages

#include "ombrel/gui/services/detail/GridTooltips.h"

#include "ombrel/common/DataObject.h"
#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/grid/GridTimer.h"
#include "ombrel/gui/grid/detail/GridImpl.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/paint/PaintContext.h"
#include "ombrel/gui/services/InPlaceTooltipCtrl.h"
#include "ombrel/gui/services/Tooltip.h"
#include "ombrel/gui/services/TooltipCtrl.h"
#include "ombrel/platform/Input.h"
#include "ombrel/platform/WindowMessaging.h"

#include <algorithm>
#include <cassert>

namespace Ombrel::GUI {

namespace {

// A cell of the grid: a row and the field identifier of a column. Rows are compared, never
// followed: a row that went away only makes the next comparison fail.
struct CellKey
{
    CGridItem* row = nullptr;
    std::int32_t fieldId = -1;

    bool IsNone() const { return row == nullptr; }
    bool operator==(const CellKey&) const = default;
};

void DeleteIfAutoDelete(ITooltipCtrl* control)
{
    auto* owned = dynamic_cast<IAutoDelete*>(control);
    if (owned != nullptr && owned->IsAutoDelete())
        delete control;
}

void DeleteIfAutoDelete(ITooltip* provider)
{
    if (provider->IsAutoDelete())
        delete provider;
}

// One control slot: the control the application set (null: none) and the grid's own.
struct ControlSlot
{
    std::unique_ptr<CTooltipCtrl> own;
    ITooltipCtrl* set = nullptr;

    ITooltipCtrl* Effective() const { return set != nullptr ? set : own.get(); }
};

} // namespace

struct CGridTooltips::Impl
{
    Impl(CGrid& g, CGridImpl& i) : grid(g), impl(i)
    {
        cursor.own = std::make_unique<CTooltipCtrl>(false);
        inPlace.own = std::make_unique<CInPlaceTooltipCtrl>(false);
    }

    CGrid& grid;
    CGridImpl& impl;
    std::int32_t kind = TooltipInPlace;
    bool enabled = true;
    bool instantReshow = false;
    TooltipSettings cursorSettings;
    TooltipSettings inPlaceSettings;
    ITooltip* provider = nullptr; // the grid's own; null: the default
    ControlSlot cursor;
    ControlSlot inPlace;

    // Timing state, reset when the window goes.
    ITooltipCtrl* shown = nullptr; // the control showing now
    CellKey shownCell;             // the cell it shows for
    CellKey trackedCell;           // the cell the pointer was last over
    bool suppressed = false;       // an input hid the tooltip: none until another cell

    bool HasWindow() const { return IsWindow(&grid); }
    ITooltip& Provider() const { return provider != nullptr ? *provider : CTooltip::GetDefault(); }
    void ReplaceControl(ControlSlot& slot, ITooltipCtrl* control);
    void Attach(ControlSlot& slot);

    CellKey CellAt(CPoint point) const;
    bool MakeContext(const CellKey& cell, CellPaintContext& context) const;
    const TooltipSettings& HoverSettings() const;
    bool WantsHover() const;
    void Track(bool hover);
    bool TryShow(ControlSlot& slot, const TooltipSettings& settings, const CellKey& cell,
                 const CellPaintContext& context, bool needsText);
    bool ShowFor(CPoint point);
    void Hide();
    void HideForInput();

    void OnMouseMove(CPoint point);
    void OnMouseHover(CPoint point);
    void OnMouseLeave();
};

// ---- 1. Controls and provider -------------------------------------------------------------

void CGridTooltips::Impl::Attach(ControlSlot& slot)
{
    if (HasWindow())
        slot.Effective()->Create(&grid); // refused when already attached
}

void CGridTooltips::Impl::ReplaceControl(ControlSlot& slot, ITooltipCtrl* control)
{
    if (control == slot.set)
        return;
    ITooltipCtrl* previous = slot.Effective();
    if (shown == previous)
        Hide();
    previous->Destroy();
    if (slot.set != nullptr)
        DeleteIfAutoDelete(slot.set);
    slot.set = control;
    Attach(slot);
}

CGridTooltips::CGridTooltips(CGrid& grid, CGridImpl& impl)
    : m_impl(std::make_unique<Impl>(grid, impl))
{
}

CGridTooltips::~CGridTooltips()
{
    Impl& d = *m_impl;
    for (ControlSlot* slot : {&d.cursor, &d.inPlace}) {
        slot->Effective()->Destroy();
        if (slot->set != nullptr)
            DeleteIfAutoDelete(slot->set);
    }
    if (d.provider != nullptr)
        DeleteIfAutoDelete(d.provider);
}

// ---- 2. Operations ------------------------------------------------------------------------

bool CGridTooltips::SetKind(std::int32_t kind)
{
    if (!IsValidTooltipKind(kind))
        return false;
    m_impl->kind = kind;
    return true;
}

std::int32_t CGridTooltips::GetKind() const { return m_impl->kind; }

void CGridTooltips::Enable(bool enable)
{
    m_impl->enabled = enable;
    if (!enable)
        m_impl->Hide();
}

bool CGridTooltips::IsEnabled() const { return m_impl->enabled; }
void CGridTooltips::EnableInstantReshow(bool enable) { m_impl->instantReshow = enable; }
bool CGridTooltips::IsInstantReshowEnabled() const { return m_impl->instantReshow; }
TooltipSettings* CGridTooltips::GetSettings() { return &m_impl->cursorSettings; }
TooltipSettings* CGridTooltips::GetInPlaceSettings() { return &m_impl->inPlaceSettings; }

bool CGridTooltips::SetSettings(const TooltipSettings& settings)
{
    if (!IsValidTooltipSettings(settings))
        return false;
    m_impl->cursorSettings = settings;
    return true;
}

bool CGridTooltips::SetInPlaceSettings(const TooltipSettings& settings)
{
    if (!IsValidTooltipSettings(settings))
        return false;
    m_impl->inPlaceSettings = settings;
    return true;
}

void CGridTooltips::Restore(std::int32_t kind, const TooltipSettings& settings,
                            const TooltipSettings& inPlace)
{
    assert(IsValidTooltipKind(kind) && IsValidTooltipSettings(settings) &&
           IsValidTooltipSettings(inPlace) && "the stored state's reader validates records");
    m_impl->Hide();
    m_impl->kind = kind;
    m_impl->cursorSettings = settings;
    m_impl->inPlaceSettings = inPlace;
}

void CGridTooltips::SetProvider(ITooltip* provider)
{
    Impl& d = *m_impl;
    if (provider == d.provider)
        return;
    d.Hide(); // its text came from the provider that goes
    if (d.provider != nullptr)
        DeleteIfAutoDelete(d.provider);
    d.provider = provider;
}

ITooltip* CGridTooltips::GetProvider() const
{
    return &m_impl->Provider();
}

void CGridTooltips::SetControl(ITooltipCtrl* control) { m_impl->ReplaceControl(m_impl->cursor, control); }
ITooltipCtrl* CGridTooltips::GetControl() const { return m_impl->cursor.Effective(); }

void CGridTooltips::SetInPlaceControl(ITooltipCtrl* control)
{
    m_impl->ReplaceControl(m_impl->inPlace, control);
}

ITooltipCtrl* CGridTooltips::GetInPlaceControl() const { return m_impl->inPlace.Effective(); }
ITooltipCtrl* CGridTooltips::GetShownControl() const { return m_impl->shown; }

// ---- 3. Showing and hiding ----------------------------------------------------------------

CellKey CGridTooltips::Impl::CellAt(CPoint point) const
{
    CGridItem* row = grid.HitTestRow(point.x, point.y);
    CColumn* column = row != nullptr ? grid.HitTestColumn(point.x, point.y) : nullptr;
    if (column == nullptr)
        return {};
    return CellKey{row, column->GetFieldId()};
}

bool CGridTooltips::Impl::MakeContext(const CellKey& cell, CellPaintContext& context) const
{
    return !cell.IsNone() && impl.MakeCellContext(cell.row, cell.fieldId, context);
}

// The delay before a hover shows a tooltip: the in-place record's for the kinds that try in
// place first, the cursor record's otherwise.
const TooltipSettings& CGridTooltips::Impl::HoverSettings() const
{
    return kind == TooltipAtCursor ? cursorSettings : inPlaceSettings;
}

bool CGridTooltips::Impl::WantsHover() const
{
    return enabled && !suppressed && !trackedCell.IsNone() && HoverSettings().mode != 0;
}

void CGridTooltips::Impl::Track(bool hover)
{
    TRACKMOUSEEVENT request;
    request.hwndTrack = &grid;
    if (!hover) {
        request.dwFlags = TME_CANCEL | TME_HOVER;
        TrackMouseEvent(&request);
    }
    request.dwFlags = TME_LEAVE | (hover ? TME_HOVER : 0);
    request.dwHoverTime = static_cast<DWORD>(std::max(HoverSettings().initialDelayMs, 0));
    TrackMouseEvent(&request);
}

bool CGridTooltips::Impl::TryShow(ControlSlot& slot, const TooltipSettings& settings,
                                  const CellKey& cell, const CellPaintContext& context,
                                  bool needsText)
{
    if (settings.mode == 0)
        return false;
    if (needsText && !Provider().HasTooltip(grid, context))
        return false;
    ITooltipCtrl* control = slot.Effective();
    if (!control->Show(grid, context))
        return false;
    shown = control;
    shownCell = cell;
    // Mode 1 hides after the display time; any other mode leaves the tooltip up.
    if (settings.mode == 1 && settings.displayTimeMs > 0)
        grid.SetTimer(TimerId(GridTimer::TooltipDisplay), static_cast<UINT>(settings.displayTimeMs));
    return true;
}

bool CGridTooltips::Impl::ShowFor(CPoint point)
{
    const CellKey cell = CellAt(point);
    CellPaintContext context;
    if (!MakeContext(cell, context))
        return false;
    switch (kind) {
    case TooltipAtCursor:
        return TryShow(cursor, cursorSettings, cell, context, true);
    case TooltipInPlace:
        return TryShow(inPlace, inPlaceSettings, cell, context, false);
    default:
        return TryShow(inPlace, inPlaceSettings, cell, context, false) ||
               TryShow(cursor, cursorSettings, cell, context, true);
    }
}

void CGridTooltips::Impl::Hide()
{
    if (shown == nullptr)
        return;
    shown->Hide();
    shown = nullptr;
    shownCell = {};
    if (HasWindow())
        grid.KillTimer(TimerId(GridTimer::TooltipDisplay));
}

void CGridTooltips::Impl::HideForInput()
{
    Hide();
    suppressed = true;
    if (HasWindow())
        Track(false);
}

// ---- 4. Messages --------------------------------------------------------------------------

void CGridTooltips::Impl::OnMouseMove(CPoint point)
{
    const CellKey cell = CellAt(point);
    if (cell != trackedCell) {
        trackedCell = cell;
        suppressed = false;
    }
    if (shown != nullptr) {
        if (cell == shownCell) {
            Track(false);
            return;
        }
        Hide();
        if (instantReshow && enabled && ShowFor(point)) {
            Track(false);
            return;
        }
    }
    Track(WantsHover());
}

void CGridTooltips::Impl::OnMouseHover(CPoint point)
{
    if (enabled && !suppressed && shown == nullptr)
        ShowFor(point);
}

void CGridTooltips::Impl::OnMouseLeave()
{
    trackedCell = {};
    if (shown == nullptr)
        return;
    // A child window of the grid (an editor, an embedded control) lies over the grid: the
    // pointer over it has not left the cell it covers.
    CPoint pointer;
    CWnd* under = GetCursorPos(&pointer) ? WindowFromPoint(pointer) : nullptr;
    for (CWnd* window = under; window != nullptr && window != &grid; window = window->GetParent()) {
        if (window->GetParent() == &grid)
            return;
    }
    Hide();
}

namespace {

// Messages before which a shown tooltip hides: it would hide what the user acts on.
bool HidesTooltip(UINT message)
{
    if (message >= WM_KEYFIRST && message <= WM_KEYLAST)
        return true;
    switch (message) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK:
    case WM_MOUSEWHEEL: case WM_MOUSEHWHEEL:
        return true;
    default:
        return false;
    }
}

CPoint ClientPoint(LPARAM lParam)
{
    return CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
}

} // namespace

bool CGridTooltips::PreFilterMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    Impl& d = *m_impl;
    switch (message) {
    case WM_MOUSEMOVE:
        d.OnMouseMove(ClientPoint(lParam));
        return false;
    case WM_MOUSEHOVER:
        d.OnMouseHover(ClientPoint(lParam));
        return false;
    case WM_MOUSELEAVE:
        d.OnMouseLeave();
        return false;
    case WM_TIMER:
        if (wParam != TimerId(GridTimer::TooltipDisplay))
            return false;
        d.Hide(); // also stops the timer
        result = 0;
        return true;
    default:
        if (HidesTooltip(message))
            d.HideForInput();
        return false;
    }
}

void CGridTooltips::OnWindowCreated()
{
    m_impl->Attach(m_impl->cursor);
    m_impl->Attach(m_impl->inPlace);
}

void CGridTooltips::OnWindowDestroying()
{
    Impl& d = *m_impl;
    d.Hide();
    d.trackedCell = {};
    d.suppressed = false;
    d.cursor.Effective()->Destroy();
    d.inPlace.Effective()->Destroy();
}

void CGridTooltips::OnViewScrolled()
{
    // The cells moved under the pointer: the next move finds the cell anew.
    m_impl->Hide();
    m_impl->trackedCell = {};
}

void CGridTooltips::HideTransients()
{
    m_impl->Hide();
}

void CGridTooltips::OnCellChanged(CGridItem* row, std::int32_t fieldId)
{
    Impl& d = *m_impl;
    const bool wholeRow = fieldId == Common::AllFields || fieldId == Common::NoField;
    if (d.shown != nullptr && d.shownCell.row == row && (wholeRow || d.shownCell.fieldId == fieldId))
        d.Hide(); // the text it shows may be stale
}

} // namespace Ombrel::GUI
