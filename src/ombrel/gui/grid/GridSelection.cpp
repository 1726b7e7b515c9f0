#include "ombrel/gui/grid/GridSelection.h"

#include "ombrel/base/Clock.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/gui/grid/detail/GridLayout.h"
#include "ombrel/gui/grid/GridOptions.h"
#include "ombrel/gui/rows/GridRows.h"
#include "ombrel/gui/grid/GridTypeAhead.h"
#include "ombrel/gui/rows/ItemContainer.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/platform/Input.h"
#include "ombrel/platform/Wnd.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <set>
#include <utility>

// Contents: focus; repaint bands; selection of one row, ranges, all, none; listing the
// selection; reactions to option changes; the left-button press rules; type-ahead search.
//
// Re-entrancy: every notification (GN_FOCUSCHANGED, GN_SELCHANGED) is a synchronous call into
// the owner window, which may call back into the grid and add, remove or move rows. Code that
// goes on after a notification therefore holds rows by pointer and checks them with
// CGridRows::IsValid / the container's registered set before touching them again, and
// re-reads positions instead of keeping them.

namespace Ombrel::GUI {

namespace {

bool IsRowType(int type)
{
    return type == ROW_FIXED || type == ROW_NORMAL;
}

constexpr int kRowTypes[] = {ROW_FIXED, ROW_NORMAL};

// The selected set is copied before deselecting: each deselection edits the set.
std::vector<CGridItem*> CopySelected(const CItemContainer& container)
{
    std::vector<CGridItem*> selected = container.GetSelectedRows().ToVector();
    std::ranges::sort(selected); // by address: the set's own order means nothing
    return selected;
}

} // namespace

struct CGridSelection::Impl
{
    Impl(CWnd& window_, CGridRows& rows_, const GridOptions& options_, CGridLayout& layout_)
        : window(window_), rows(rows_), options(options_), layout(layout_)
    {}

    CWnd& window;
    CGridRows& rows;
    const GridOptions& options;
    CGridLayout& layout;

    RowPosition focus; // {-1, ROW_DETACHED} or a position the rows keep current
    Press press;       // last remembered left-button press over the rows
    CGridTypeAhead typeAhead;

    // --- Lookups ---------------------------------------------------------------------------
    CGridItem* RowAt(RowPosition position) const
    {
        return IsRowType(position.type) ? rows.GetRowAt(position.index, position.type) : nullptr;
    }

    // Where a row is now; none for a row that left the grid or is not visible.
    RowPosition PositionOf(CGridItem* row) const
    {
        if (!rows.IsValid(row) || !rows.IsVisible(row))
            return {};
        return {rows.GetVisibleIndex(row), rows.GetRowType(row)};
    }

    bool IsValidPosition(RowPosition position) const
    {
        return IsRowType(position.type) && position.index >= 0 &&
               position.index < rows.GetRowCount(position.type);
    }

    bool AnyRowSelected() const
    {
        return !rows.GetContainer(ROW_FIXED).GetSelectedRows().IsEmpty() ||
               !rows.GetContainer(ROW_NORMAL).GetSelectedRows().IsEmpty();
    }

    bool OnlySelectedRowIs(CGridItem* row) const
    {
        const CRowAddressSet& fixed = rows.GetContainer(ROW_FIXED).GetSelectedRows();
        const CRowAddressSet& normal = rows.GetContainer(ROW_NORMAL).GetSelectedRows();
        return fixed.Size() + normal.Size() == 1 && (fixed.Contains(row) || normal.Contains(row));
    }

    // The area a client point lies in: ROW_FIXED, ROW_NORMAL, or 0 (header, separator).
    int AreaTypeAt(CPoint point) const
    {
        for (int type : kRowTypes) {
            if (layout.GetRowsArea(type).PtInRect(point))
                return type;
        }
        return ROW_DETACHED;
    }

    // --- Repaints --------------------------------------------------------------------------
    void Invalidate(const CRect& band)
    {
        if (window.GetSafeHwnd() && !band.IsRectEmpty())
            window.InvalidateRect(&band, false);
    }

    void RepaintRow(CGridItem* row) { Invalidate(layout.GetRowRect(row)); }

    // A row's band after its selection changed. Selected neighbours share a border line with
    // it, so the band takes one pixel of a selected neighbour; next to the separator it takes
    // the separator, across which the selection frame is drawn.
    void RepaintSelectionBand(int index, int type)
    {
        CRect band = layout.GetRowRectAt(index, type);
        if (band.IsRectEmpty())
            return;
        if (IsSelectedAt(index - 1, type))
            band.top -= 1;
        if (IsSelectedAt(index + 1, type))
            band.bottom += 1;
        const int separator = layout.GetSeparatorArea().Height();
        if (type == ROW_FIXED && index == rows.GetRowCount(ROW_FIXED) - 1)
            band.bottom += separator;
        if (type == ROW_NORMAL && index == layout.GetTopRow())
            band.top -= separator;
        Invalidate(band);
    }

    // The separator and two pixels of the rows on either side of it.
    void RepaintAroundSeparator()
    {
        const CRect fixedArea = layout.GetRowsArea(ROW_FIXED);
        const int separator = layout.GetSeparatorArea().Height();
        Invalidate(CRect(fixedArea.left, fixedArea.bottom - separator - 2, fixedArea.right,
                         fixedArea.bottom + separator + 2));
    }

    bool IsSelectedAt(int index, int type) const
    {
        const CGridItem* row = RowAt({index, type});
        return row && row->IsSelected();
    }

    // --- Deselection -----------------------------------------------------------------------
    // Deselects every selected row of one container (GN_SELCHANGED each) and repaints those
    // that lie on screen.
    void DeselectAll(int type)
    {
        CItemContainer& container = rows.GetContainer(type);
        // Only rows between the first and the last on screen need a repaint; finding a row's
        // rectangle costs a walk over the screen, which a large selection must not pay per row.
        const int firstOnScreen = type == ROW_FIXED ? 0 : layout.GetTopRow();
        const int lastOnScreen = layout.GetLastVisibleIndex(type);
        for (CGridItem* row : CopySelected(container)) {
            if (!container.IsRegistered(row) || !row->IsSelected())
                continue; // removed or deselected by a notification handler meanwhile
            const int position = row->IsVisible() ? container.GetVisibleIndex(row) : -1;
            row->SetSelected(false);
            if (firstOnScreen >= 0 && position >= firstOnScreen && position <= lastOnScreen)
                RepaintDeselected(position, type);
        }
    }

    void RepaintDeselected(int position, int type)
    {
        CRect band = layout.GetRowRectAt(position, type);
        band.InflateRect(0, 1); // the border lines shared with neighbours
        Invalidate(band);
    }

    // --- Listing ---------------------------------------------------------------------------
    // Few selected rows among many visible ones are sorted by position; otherwise one pass over
    // the visible sequence is cheaper. Either way only visible rows are listed, in visible
    // order, so the two methods give the same answer.
    static void AppendSelected(CItemContainer& container, std::vector<CGridItem*>& out)
    {
        const CRowAddressSet& selected = container.GetSelectedRows();
        if (selected.IsEmpty())
            return;
        const std::int64_t selectedCount = static_cast<std::int64_t>(selected.Size());
        const std::int64_t visibleCount = container.GetRowCount();
        if (selectedCount < kSortLimit && visibleCount >= kScanRatio * (selectedCount - 1)) {
            std::vector<std::pair<int, CGridItem*>> byPosition;
            byPosition.reserve(selected.Size());
            selected.ForEach([&](CGridItem* row) {
                if (row->IsVisible())
                    byPosition.emplace_back(container.GetVisibleIndex(row), row);
            });
            // std::sort finishes short ranges with an insertion sort itself.
            std::sort(byPosition.begin(), byPosition.end());
            for (const auto& entry : byPosition)
                out.push_back(entry.second);
            return;
        }
        for (int position = 0; position < visibleCount; ++position) {
            CGridItem* row = container.GetRowAt(position);
            if (row->IsSelected())
                out.push_back(row);
        }
    }

    // Below this many selected rows sorting may win over scanning...
    static constexpr std::int64_t kSortLimit = 1024;
    // ...when the visible rows outnumber the selected ones this many times.
    static constexpr std::int64_t kScanRatio = 100;
};

CGridSelection::CGridSelection(CWnd& window, CGridRows& rows, const GridOptions& options,
                               CGridLayout& layout)
    : m_impl(std::make_unique<Impl>(window, rows, options, layout))
{}

CGridSelection::~CGridSelection() = default;

// ---- Focus --------------------------------------------------------------------------------

RowPosition CGridSelection::GetFocus() const
{
    return m_impl->focus;
}

int CGridSelection::GetFocusIndex() const
{
    return m_impl->focus.index;
}

int CGridSelection::GetFocusType() const
{
    return m_impl->focus.type;
}

CGridItem* CGridSelection::GetFocusedRow() const
{
    return m_impl->RowAt(m_impl->focus);
}

void CGridSelection::StoreFocus(RowPosition focus)
{
    m_impl->focus = focus.IsNone() ? RowPosition{} : focus;
    assert((m_impl->focus.IsNone() || m_impl->focus.type == ROW_FIXED ||
            m_impl->focus.type == ROW_NORMAL) &&
           "a focus names a position of the fixed or the normal rows");
}

bool CGridSelection::SetFocus(int index, int type, bool repaint)
{
    Impl& d = *m_impl;
    // Any negative index clears: a focus {-1, type} would name a type but no row.
    const RowPosition target = index < 0 ? RowPosition{} : RowPosition{index, type};
    if (type != ROW_DETACHED && !IsRowType(type))
        return false;
    if (!target.IsNone() && !d.IsValidPosition(target))
        return false;
    if (target == d.focus)
        return true;
    if (!target.IsNone() && !IsFocusable(type))
        return false;

    CGridItem* oldRow = GetFocusedRow();
    if (repaint && oldRow)
        d.RepaintRow(oldRow);
    d.focus = target;
    CGridItem* newRow = GetFocusedRow();
    if (repaint && newRow)
        d.RepaintRow(newRow);
    if (oldRow)
        d.rows.NotifyRow(GN_FOCUSCHANGED, oldRow);
    if (newRow && d.rows.IsValid(newRow))
        d.rows.NotifyRow(GN_FOCUSCHANGED, newRow);
    return true;
}

bool CGridSelection::IsFocusable(int type) const
{
    return IsRowType(type) && (m_impl->options.focusableTypes & type) != 0;
}

// ---- Selection ----------------------------------------------------------------------------

IGridRowsOwner::SelectionMode CGridSelection::GetSelectionMode() const
{
    const GridOptions& options = m_impl->options;
    if (!options.selectionEnabled)
        return IGridRowsOwner::SelectionMode::Disabled;
    return options.multipleSelection ? IGridRowsOwner::SelectionMode::Multiple
                                     : IGridRowsOwner::SelectionMode::Single;
}

bool CGridSelection::IsSelectable(int type) const
{
    return IsRowType(type) && (m_impl->options.selectableTypes & type) != 0;
}

bool CGridSelection::Select(CGridItem* row, bool select)
{
    const RowPosition position = m_impl->PositionOf(row);
    return !position.IsNone() && SelectAt(position.index, position.type, select);
}

bool CGridSelection::SelectAt(int index, int type, bool select)
{
    Impl& d = *m_impl;
    if (!IsRowType(type))
        return false;
    CGridItem* row = d.rows.GetRowAt(index, type);
    if (select) {
        if (!IsSelectable(type) || GetSelectionMode() == IGridRowsOwner::SelectionMode::Disabled)
            return false;
        // The row that is already the only selected one may be asked for again.
        if (GetSelectionMode() == IGridRowsOwner::SelectionMode::Single && d.AnyRowSelected() &&
            !d.OnlySelectedRowIs(row))
            return false;
    }
    if (!row)
        return false;
    if (row->IsSelected() == select)
        return true;
    const bool done = row->SetSelected(select);
    d.RepaintSelectionBand(index, type);
    return done;
}

bool CGridSelection::SelectObject(Common::CDataObject* object, bool select)
{
    if (!object)
        return false;
    std::vector<CGridItem*> found;
    m_impl->rows.FindRows(object, found, ROW_ALL_TYPES, false);
    bool changed = false;
    for (CGridItem* row : found) {
        if (!m_impl->rows.IsValid(row))
            continue;
        const bool before = row->IsSelected();
        Select(row, select);
        changed = changed || (m_impl->rows.IsValid(row) && row->IsSelected() != before);
    }
    return changed;
}

bool CGridSelection::SelectRange(RowPosition from, RowPosition to, bool select)
{
    Impl& d = *m_impl;
    if (!d.IsValidPosition(from) || !d.IsValidPosition(to))
        return false;
    const bool crossesSeparator = from.type != to.type;
    // The fixed sequence precedes the normal one: a range across both runs from the fixed end
    // to the last fixed row and from the first normal row to the normal end.
    auto selectSpan = [&](int type) {
        if (!IsSelectable(type))
            return;
        int first = 0;
        int last = -1;
        if (crossesSeparator) {
            const int end = (from.type == type ? from : to).index;
            first = type == ROW_FIXED ? end : 0;
            last = type == ROW_FIXED ? d.rows.GetRowCount(ROW_FIXED) - 1 : end;
        } else if (from.type == type) {
            first = std::min(from.index, to.index);
            last = std::max(from.index, to.index);
        }
        for (int index = first; index <= last; ++index)
            SelectAt(index, type, select);
    };
    selectSpan(ROW_FIXED);
    selectSpan(ROW_NORMAL);
    if (crossesSeparator)
        d.RepaintAroundSeparator();
    return true;
}

void CGridSelection::SelectAll()
{
    Impl& d = *m_impl;
    if (GetSelectionMode() != IGridRowsOwner::SelectionMode::Multiple)
        return;
    for (int type : kRowTypes) {
        if (!IsSelectable(type))
            continue;
        // The count is read on every turn: a notification handler may change the rows.
        for (int position = 0; position < d.rows.GetRowCount(type); ++position) {
            CGridItem* row = d.rows.GetRowAt(position, type);
            if (!row->IsSelected())
                row->SetSelected(true);
        }
        d.Invalidate(d.layout.GetRowsArea(type));
    }
}

void CGridSelection::ClearSelection()
{
    for (int type : kRowTypes)
        m_impl->DeselectAll(type);
}

bool CGridSelection::IsSelected(const CGridItem* row) const
{
    return m_impl->rows.IsValid(row) && row->IsSelected();
}

bool CGridSelection::IsSelectedAt(int index, int type) const
{
    return m_impl->IsSelectedAt(index, type);
}

int CGridSelection::GetSelectedCount() const
{
    const CGridRows& rows = m_impl->rows;
    return static_cast<int>(rows.GetContainer(ROW_FIXED).GetSelectedRows().Size() +
                            rows.GetContainer(ROW_NORMAL).GetSelectedRows().Size());
}

void CGridSelection::GetSelectedRows(int typeMask, std::vector<CGridItem*>& out) const
{
    for (int type : kRowTypes) {
        if ((typeMask & type) != 0)
            Impl::AppendSelected(m_impl->rows.GetContainer(type), out);
    }
}

// ---- Reactions to option changes -----------------------------------------------------------

void CGridSelection::OnFocusableTypesChanged()
{
    const RowPosition focus = m_impl->focus;
    if (!focus.IsNone() && !IsFocusable(focus.type))
        SetFocus(-1, ROW_DETACHED, true);
}

void CGridSelection::OnSelectionEnabledChanged()
{
    if (!m_impl->options.selectionEnabled)
        ClearSelection();
}

void CGridSelection::OnMultipleSelectionChanged()
{
    if (!m_impl->options.multipleSelection)
        ClearSelection();
}

void CGridSelection::OnSelectableTypesChanged()
{
    for (int type : kRowTypes) {
        if (!IsSelectable(type))
            m_impl->DeselectAll(type);
    }
}

// ---- Mouse --------------------------------------------------------------------------------

bool CGridSelection::OnLButtonDown(UINT flags, CPoint point, bool rememberPress)
{
    Impl& d = *m_impl;
    // The header band belongs to the header's own mouse handling.
    if (point.y < d.layout.GetRowsArea(ROW_FIXED).top)
        return false;
    const int areaType = d.AreaTypeAt(point);
    if (rememberPress)
        d.press = Press{point, areaType};
    const RowPosition hit = d.layout.HitTestPosition(point);
    CGridItem* row = d.RowAt(hit);

    const bool shift = (flags & MK_SHIFT) != 0;
    const bool ctrl = (flags & MK_CONTROL) != 0;
    if (shift && !d.focus.IsNone() &&
        GetSelectionMode() == IGridRowsOwner::SelectionMode::Multiple) {
        RowPosition target = hit;
        // Below the last row of an area: up to that area's last row.
        if (!row && areaType != ROW_DETACHED && d.rows.GetRowCount(areaType) > 0)
            target = RowPosition{d.rows.GetRowCount(areaType) - 1, areaType};
        if (!target.IsNone()) {
            const RowPosition anchor = d.focus;
            ClearSelection();
            SelectRange(anchor, target, true);
        }
        return true;
    }
    if (ctrl) {
        if (!row)
            return true;
        if (IsFocusable(hit.type))
            SetFocus(hit.index, hit.type, true);
        if (IsSelectable(hit.type) && d.rows.IsValid(row)) {
            const bool wasSelected = row->IsSelected();
            // Single selection: the pressed row replaces the selected one.
            if (!wasSelected && GetSelectionMode() == IGridRowsOwner::SelectionMode::Single)
                ClearSelection();
            Select(row, !wasSelected);
        }
        return true;
    }

    ClearSelection();
    if (!row) {
        SetFocus(-1, ROW_DETACHED, true);
        return true;
    }
    const int type = hit.type;
    if (IsSelectable(type))
        Select(row, true);
    const RowPosition now = d.PositionOf(row);
    if (IsFocusable(type) && !now.IsNone())
        SetFocus(now.index, now.type, true);
    else
        SetFocus(-1, ROW_DETACHED, true);
    return true;
}

const CGridSelection::Press& CGridSelection::GetLastPress() const
{
    return m_impl->press;
}

// ---- Type-ahead search --------------------------------------------------------------------

bool CGridSelection::SearchByChar(char ch)
{
    Impl& d = *m_impl;
    if (d.rows.GetRowCount(ROW_NORMAL) == 0 || GetKeyState(VK_LBUTTON) < 0)
        return false;
    CHeader* header = d.options.header;
    CColumn* column = header ? header->GetVisibleColumn(header->GetSearchColumn()) : nullptr;
    if (!column || !CGridTypeAhead::IsSearchChar(ch))
        return false;
    d.typeAhead.Type(ch, GetTickCount64(), d.options.typeAheadTimeoutMs);
    CGridItem* row = d.RowAt(d.typeAhead.FindMatch(d.rows, *column, d.focus));
    if (!row)
        return false;

    ClearSelection();
    if (d.rows.IsValid(row) && d.rows.GetRowType(row) == ROW_NORMAL)
        d.layout.EnsureVisible(row);
    const RowPosition position = d.PositionOf(row);
    if (position.IsNone())
        return true; // a notification handler took the row away meanwhile
    if (IsSelectable(position.type))
        SelectAt(position.index, position.type, true);
    const RowPosition now = d.PositionOf(row);
    if (!now.IsNone() && IsFocusable(now.type))
        SetFocus(now.index, now.type, true);
    return true;
}

const std::string& CGridSelection::GetSearchText() const
{
    return m_impl->typeAhead.GetText();
}

char CGridSelection::CharFromVirtualKey(UINT virtualKey)
{
    return CGridTypeAhead::CharFromVirtualKey(virtualKey);
}

} // namespace Ombrel::GUI
