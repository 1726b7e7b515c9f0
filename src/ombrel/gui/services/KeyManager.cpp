// The standard key manager: key dispatch, the targets of each movement, and how a move
// changes the selection.
//
//   key-down -> OnKeyDown: table of keys -> movement (target, then MoveFocus) or command
//   MoveFocus: EnsureVisible (normal rows) -> SetFocus -> selection rule:
//              plain       ClearSelection, select the target
//              focusOnly   nothing (also when the target is the old focus)
//              extend      Up/Down: the adjacent rule; the other moves: the range rule
//
// Keyboard order: the fixed rows, then the normal rows. An ordinal is a position in that
// order (fixed index, or fixed count + normal index), which is how a range walk crosses
// from one row type into the other.

#include "ombrel/gui/services/KeyManager.h"

#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/rows/GridTypes.h"
#include "ombrel/platform/Input.h"

#include <algorithm>

namespace Ombrel::GUI {

struct CKeyManager::Impl
{
    bool autoDelete = true;
};

namespace {

// How a move with Shift changes the selection.
enum class ExtendRule
{
    Adjacent, // one step: only the old and the new focused rows change
    Range,    // every row between the old focus and the target
};

// The grid as the keyboard sees it, read once per key.
class KeyboardView
{
public:
    explicit KeyboardView(CGrid& grid)
        : m_grid(grid),
          m_fixedCount(grid.GetRowCount(ROW_FIXED)),
          m_normalCount(grid.GetRowCount(ROW_NORMAL)),
          m_fixedNavigable(m_fixedCount > 0 && grid.IsKeyboardType(ROW_FIXED)),
          m_normalNavigable(m_normalCount > 0 && grid.IsKeyboardType(ROW_NORMAL))
    {
        const int index = grid.GetFocusIndex();
        const int type = grid.GetFocusType();
        // A focus in a row type the keyboard does not visit counts as none.
        if (index >= 0 && grid.IsKeyboardType(type))
            m_focus = RowPosition{index, type};
    }

    CGrid& Grid() const { return m_grid; }
    RowPosition Focus() const { return m_focus; }
    int FixedCount() const { return m_fixedCount; }
    int NormalCount() const { return m_normalCount; }
    bool FixedNavigable() const { return m_fixedNavigable; }
    bool NormalNavigable() const { return m_normalNavigable; }

    RowPosition LastFixed() const { return {m_fixedCount - 1, ROW_FIXED}; }
    // A normal position clamped into the sequence; none when there are no normal rows.
    RowPosition Normal(int index) const
    {
        if (m_normalCount <= 0)
            return {};
        return {std::clamp(index, 0, m_normalCount - 1), ROW_NORMAL};
    }

    int OrdinalOf(RowPosition position) const
    {
        return position.type == ROW_FIXED ? position.index : m_fixedCount + position.index;
    }
    RowPosition AtOrdinal(int ordinal) const
    {
        if (ordinal < m_fixedCount)
            return {ordinal, ROW_FIXED};
        return {ordinal - m_fixedCount, ROW_NORMAL};
    }

private:
    CGrid& m_grid;
    RowPosition m_focus;
    int m_fixedCount;
    int m_normalCount;
    bool m_fixedNavigable;
    bool m_normalNavigable;
};

bool IsPressed(int virtualKey)
{
    return GetKeyState(virtualKey) < 0;
}

void SelectOnly(CGrid& grid, RowPosition target)
{
    grid.ClearSelection();
    grid.SelectAt(target.index, target.type, true);
}

// Walks from the old focus (exclusive) to the target (inclusive) in keyboard order, selecting
// rows until it meets one that was selected already and deselecting from there on; the
// target ends selected.
void ApplyRangeRule(const KeyboardView& view, RowPosition from, RowPosition to)
{
    CGrid& grid = view.Grid();
    if (!from.IsNone()) {
        const int first = view.OrdinalOf(from);
        const int last = view.OrdinalOf(to);
        const int step = last > first ? 1 : -1;
        bool deselecting = false;
        for (int ordinal = first + step; ordinal != last; ordinal += step) {
            const RowPosition row = view.AtOrdinal(ordinal);
            if (!deselecting && grid.IsSelectedAt(row.index, row.type))
                deselecting = true;
            grid.SelectAt(row.index, row.type, !deselecting);
        }
    }
    grid.SelectAt(to.index, to.type, true);
}

// One step: the old row stays selected only when it was and the target was not.
void ApplyAdjacentRule(CGrid& grid, RowPosition from, RowPosition to)
{
    if (!from.IsNone()) {
        const bool fromSelected = grid.IsSelectedAt(from.index, from.type);
        const bool toSelected = grid.IsSelectedAt(to.index, to.type);
        if (!fromSelected || toSelected)
            grid.SelectAt(from.index, from.type, false);
    }
    grid.SelectAt(to.index, to.type, true);
}

// Moves the focus to `target` and applies the selection rule. Nothing happens for no target,
// a target in a type the keyboard does not visit, or a focus the grid refuses.
void MoveFocus(const KeyboardView& view, RowPosition target, bool extend, bool focusOnly,
               ExtendRule rule)
{
    CGrid& grid = view.Grid();
    if (target.IsNone() || !grid.IsKeyboardType(target.type))
        return;
    if (target.type == ROW_NORMAL)
        grid.EnsureVisible(target.index);
    if (!grid.SetFocus(target.index, target.type))
        return;
    const RowPosition from = view.Focus();
    if (focusOnly || target == from)
        return;
    if (!extend)
        SelectOnly(grid, target);
    else if (rule == ExtendRule::Range)
        ApplyRangeRule(view, from, target);
    else
        ApplyAdjacentRule(grid, from, target);
}

// ---- Targets --------------------------------------------------------------------------------

RowPosition MoveUpTarget(const KeyboardView& view)
{
    const RowPosition focus = view.Focus();
    if (!focus.IsNone() && focus.index - 1 >= 0)
        return {focus.index - 1, focus.type};
    if (!focus.IsNone() && focus.type == ROW_NORMAL && view.FixedNavigable())
        return view.LastFixed();
    if (view.FixedNavigable())
        return {0, ROW_FIXED};
    if (view.NormalNavigable() && view.Grid().GetTopRow() >= 0)
        return view.Normal(view.Grid().GetTopRow());
    return {};
}

RowPosition MoveDownTarget(const KeyboardView& view)
{
    CGrid& grid = view.Grid();
    const RowPosition focus = view.Focus();
    if (focus.type == ROW_NORMAL)
        return view.Normal(focus.index + 1);
    if (focus.type == ROW_FIXED) {
        if (focus.index + 1 < view.FixedCount())
            return {focus.index + 1, ROW_FIXED};
        const int top = grid.GetTopRow();
        if (view.NormalNavigable() && top >= 0 && top < view.NormalCount())
            return {top, ROW_NORMAL};
        return view.LastFixed();
    }
    if (view.NormalNavigable())
        return view.Normal(grid.GetTopRow() + grid.GetPageRowCount(true) - 1);
    if (view.FixedNavigable())
        return {grid.GetLastVisibleIndex(ROW_FIXED), ROW_FIXED};
    return {};
}

RowPosition PageUpTarget(const KeyboardView& view)
{
    CGrid& grid = view.Grid();
    const RowPosition focus = view.Focus();
    if (focus.type == ROW_NORMAL) {
        int top = grid.GetTopRow();
        if (top > 0 && focus.index == top) {
            grid.SetTopRow(std::max(0, top - grid.GetPageRowCount(false) + 1));
            top = grid.GetTopRow();
        }
        if (top > 0)
            return view.Normal(top);
        return view.FixedNavigable() ? RowPosition{0, ROW_FIXED} : view.Normal(0);
    }
    if (focus.type == ROW_FIXED || view.FixedNavigable())
        return {0, ROW_FIXED};
    if (view.NormalNavigable())
        return view.Normal(grid.GetTopRow());
    return {};
}

RowPosition PageDownFromNormal(const KeyboardView& view, int focus)
{
    CGrid& grid = view.Grid();
    if (!grid.IsOnScreen(focus, ROW_NORMAL))
        return view.Normal(focus - grid.GetPageRowCount(false) + 1);
    const int page = grid.GetPageRowCount(true);
    const int pageEnd = grid.GetTopRow() + page - 1;
    if (focus < pageEnd)
        return view.Normal(pageEnd);
    return view.Normal(focus + std::min(page - 1, view.NormalCount() - focus - 1));
}

RowPosition PageDownFromFixed(const KeyboardView& view, int focus)
{
    CGrid& grid = view.Grid();
    if (!view.NormalNavigable())
        return {grid.GetLastVisibleIndex(ROW_FIXED), ROW_FIXED};
    const int top = grid.GetTopRow();
    if (top < 0)
        return view.LastFixed();
    if (top > 0)
        return view.Normal(top);
    const int page = grid.GetPageRowCount(true);
    if (focus < view.NormalCount() - 1 && page >= 2)
        return view.Normal(focus + page - 1);
    return view.Normal(focus);
}

RowPosition PageDownTarget(const KeyboardView& view)
{
    CGrid& grid = view.Grid();
    const RowPosition focus = view.Focus();
    if (focus.type == ROW_NORMAL)
        return PageDownFromNormal(view, focus.index);
    if (focus.type == ROW_FIXED)
        return PageDownFromFixed(view, focus.index);
    const int page = grid.GetPageRowCount(true);
    if (view.NormalNavigable())
        return page >= 2 ? view.Normal(grid.GetTopRow() + page - 1) : RowPosition{};
    if (view.FixedNavigable())
        return {grid.GetLastVisibleIndex(ROW_FIXED), ROW_FIXED};
    return {};
}

RowPosition HomeTarget(const KeyboardView& view)
{
    if (view.FixedNavigable())
        return {0, ROW_FIXED};
    return view.NormalNavigable() ? RowPosition{0, ROW_NORMAL} : RowPosition{};
}

RowPosition EndTarget(const KeyboardView& view)
{
    if (view.NormalNavigable())
        return view.Normal(view.NormalCount() - 1);
    return view.FixedNavigable() ? view.LastFixed() : RowPosition{};
}

bool IsTopLevel(CGrid& grid, CGridItem* row)
{
    CGridItem* parent = grid.GetParent(row);
    return parent == GRID_ROOT || parent == GRID_FIXED_ROOT;
}

// The top-level row at or before `position` in its type: each nested row found on the way
// back gives way to its parent. None when the walk runs off the start.
RowPosition PreviousTopLevel(CGrid& grid, RowPosition position)
{
    if (position.index < 0)
        return {};
    CGridItem* row = grid.GetRowAt(position.index, position.type);
    while (row != nullptr && !IsTopLevel(grid, row))
        row = grid.GetParent(row);
    if (row == nullptr)
        return {};
    return {grid.GetVisibleIndex(row), position.type};
}

// The movement slots: the focus goes to the position `targetOf` finds for the grid's view.
void MoveToTarget(CGrid* grid, RowPosition (*targetOf)(const KeyboardView&), bool extend,
                  bool focusOnly, ExtendRule rule)
{
    if (grid == nullptr)
        return;
    const KeyboardView view(*grid);
    MoveFocus(view, targetOf(view), extend, focusOnly, rule);
}

} // namespace

// ---- CKeyManager ----------------------------------------------------------------------------

CKeyManager::CKeyManager(bool autoDelete) : m_impl(std::make_unique<Impl>())
{
    m_impl->autoDelete = autoDelete;
}

CKeyManager::~CKeyManager() = default;

CKeyManager& CKeyManager::GetDefault()
{
    static CKeyManager manager(false);
    return manager;
}

bool CKeyManager::IsAutoDelete() const
{
    return m_impl->autoDelete;
}

bool CKeyManager::OnKeyDown(CGrid* grid, UINT virtualKey, UINT, UINT)
{
    if (grid == nullptr)
        return false;
    const bool extend = IsPressed(VK_SHIFT);
    const bool focusOnly = IsPressed(VK_CONTROL);
    // The clipboard and select-all letters need Ctrl without Shift.
    const bool command = focusOnly && !extend;
    switch (virtualKey) {
    case VK_RETURN: OnEnter(grid); return true;
    case VK_ESCAPE: OnEscape(grid); return true;
    case VK_SPACE:
        if (extend)
            PageUp(grid, false, false);
        else
            PageDown(grid, false, false);
        return true;
    case VK_PRIOR: PageUp(grid, extend, focusOnly); return true;
    case VK_NEXT: PageDown(grid, extend, focusOnly); return true;
    case VK_END: MoveEnd(grid, extend, focusOnly); return true;
    case VK_HOME: MoveHome(grid, extend, focusOnly); return true;
    case VK_LEFT: MoveLeft(grid); return true;
    case VK_UP: MoveUp(grid, extend, focusOnly); return true;
    case VK_RIGHT: MoveRight(grid); return true;
    case VK_DOWN: MoveDown(grid, extend, focusOnly); return true;
    case 'A': case 'a':
        if (command)
            OnSelectAll(grid);
        return command;
    case 'C': case 'c':
        if (command)
            OnCopy(grid);
        return command;
    case 'X': case 'x':
        if (command)
            OnCut(grid);
        return command;
    case 'V': case 'v':
        if (command)
            OnPaste(grid);
        return command;
    default:
        return false;
    }
}

bool CKeyManager::OnKeyUp(CGrid*, UINT, UINT, UINT)
{
    return false;
}

void CKeyManager::MoveUp(CGrid* grid, bool extend, bool focusOnly)
{
    MoveToTarget(grid, MoveUpTarget, extend, focusOnly, ExtendRule::Adjacent);
}

void CKeyManager::MoveDown(CGrid* grid, bool extend, bool focusOnly)
{
    if (grid == nullptr)
        return;
    const KeyboardView view(*grid);
    const RowPosition from = view.Focus();
    const RowPosition target = MoveDownTarget(view);
    MoveFocus(view, target, extend, focusOnly, ExtendRule::Adjacent);
    // Leaving the last fixed row for the normal rows with Shift takes the rows skipped in
    // between along: the rest of the fixed rows and the normal rows above the target.
    const bool crossed = from.type == ROW_FIXED && target.type == ROW_NORMAL;
    if (!crossed || !extend || focusOnly || grid->GetFocusType() != ROW_NORMAL)
        return;
    for (int index = from.index; index < view.FixedCount(); ++index)
        grid->SelectAt(index, ROW_FIXED, true);
    for (int index = target.index; index >= 0; --index)
        grid->SelectAt(index, ROW_NORMAL, true);
}

void CKeyManager::PageUp(CGrid* grid, bool extend, bool focusOnly)
{
    MoveToTarget(grid, PageUpTarget, extend, focusOnly, ExtendRule::Range);
}

void CKeyManager::PageDown(CGrid* grid, bool extend, bool focusOnly)
{
    MoveToTarget(grid, PageDownTarget, extend, focusOnly, ExtendRule::Range);
}

void CKeyManager::MoveHome(CGrid* grid, bool extend, bool focusOnly)
{
    MoveToTarget(grid, HomeTarget, extend, focusOnly, ExtendRule::Range);
}

void CKeyManager::MoveEnd(CGrid* grid, bool extend, bool focusOnly)
{
    MoveToTarget(grid, EndTarget, extend, focusOnly, ExtendRule::Range);
}

void CKeyManager::MoveLeft(CGrid* grid)
{
    if (grid == nullptr)
        return;
    const KeyboardView view(*grid);
    const RowPosition focus = view.Focus();
    CGridItem* row = focus.IsNone() ? nullptr : grid->GetRowAt(focus.index, focus.type);
    if (row == nullptr)
        return;
    CGridItem* next = grid->GetRowAt(focus.index + 1, focus.type);
    if (next != nullptr && grid->GetParent(next) == row) {
        grid->Collapse(row, false);
        return;
    }
    if (!IsTopLevel(*grid, row)) {
        CGridItem* parent = grid->GetParent(row);
        MoveFocus(view, {grid->GetVisibleIndex(parent), focus.type}, false, false, ExtendRule::Range);
        return;
    }
    RowPosition target = PreviousTopLevel(*grid, {focus.index - 1, focus.type});
    if (target.IsNone() && focus.type == ROW_NORMAL && view.FixedNavigable())
        target = view.LastFixed();
    MoveFocus(view, target, false, false, ExtendRule::Range);
}

void CKeyManager::MoveRight(CGrid* grid)
{
    if (grid == nullptr)
        return;
    const KeyboardView view(*grid);
    const RowPosition focus = view.Focus();
    CGridItem* row = focus.IsNone() ? nullptr : grid->GetRowAt(focus.index, focus.type);
    if (row == nullptr)
        return;
    if (!grid->IsExpanded(row)) {
        grid->Expand(row, false);
        return;
    }
    RowPosition target;
    if (grid->GetRowAt(focus.index + 1, focus.type) != nullptr)
        target = {focus.index + 1, focus.type};
    else if (focus.type == ROW_FIXED && view.NormalNavigable())
        target = {0, ROW_NORMAL};
    MoveFocus(view, target, false, false, ExtendRule::Range);
}

void CKeyManager::OnEscape(CGrid* grid)
{
    if (grid == nullptr)
        return;
    grid->ClearSelection();
    grid->SetFocus(-1, ROW_DETACHED);
}

void CKeyManager::OnEnter(CGrid* grid)
{
    if (grid == nullptr)
        return;
    CGridItem* row = grid->GetRowAt(grid->GetFocusIndex(), grid->GetFocusType());
    if (row == nullptr)
        return;
    if (grid->IsExpanded(row))
        grid->Collapse(row, false);
    else
        grid->Expand(row, false);
}

void CKeyManager::OnSelectAll(CGrid* grid)
{
    if (grid != nullptr)
        grid->SelectAll();
}

void CKeyManager::OnCopy(CGrid* grid)
{
    if (grid != nullptr)
        grid->Copy();
}

void CKeyManager::OnCut(CGrid* grid)
{
    if (grid != nullptr)
        grid->Cut();
}

void CKeyManager::OnPaste(CGrid* grid)
{
    if (grid != nullptr)
        grid->Paste();
}

} // namespace Ombrel::GUI
