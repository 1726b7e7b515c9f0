#pragma once

#include "ombrel/base/Geometry.h"
#include "ombrel/gui/grid/GridTimer.h"
#include "ombrel/gui/rows/GridTypes.h"
#include "ombrel/platform/Messages.h"

#include <cstdint>
#include <memory>

namespace Ombrel {
class CWnd;
}

namespace Ombrel::GUI {

class CColumn;
class CGridItem;
class CGridRows;
struct GridOptions;

// What the layout needs from the grid that owns it. Implemented by the grid implementation
// (or a test); every call happens on the window thread.
class IGridLayoutHost
{
public:
    // Whether pixels on screen may be moved to scroll right now. False while a background
    // image is set or while a drawing state holds that makes moved pixels wrong; the layout
    // then invalidates the whole normal area instead of scrolling it.
    virtual bool CanScrollPixels() const = 0;
    // Hides any tooltip that is shown; every scroll command ends with it.
    virtual void HideTransients() = 0;
    // Whether a cell is being edited in place; the mouse wheel is ignored meanwhile.
    virtual bool IsEditing() const = 0;
    // The rows on screen changed because the view scrolled vertically or horizontally (after
    // the pixels were moved): embedded controls of rows that left the screen are hidden and
    // the others moved.
    virtual void OnViewScrolled() = 0;
    // Pixels on screen are about to move: repaints held back for the next frame must reach the
    // window first, so that the window system moves them along with the pixels.
    virtual void FlushPendingRepaints() = 0;

protected:
    ~IGridLayoutHost() = default;
};

// Screen geometry of one grid: where the header, the fixed rows, the separator and the normal
// rows lie in the client area, which normal row is at the top, the scroll bars, the scroll
// commands and the mouse wheel, bringing rows into view, and hit-testing of rows, expand
// buttons and column borders.
//
// Terms: a "position" is an index in the visible sequence of a row type (ROW_FIXED or
// ROW_NORMAL). The "top row" is the position of the first normal row on screen, -1 while there
// are no normal rows. A row is "on screen" when any part of it lies in its area. Rectangles are
// in client coordinates, right and bottom exclusive.
//
// The layout owns the top row; the rows (CGridRows) keep it valid through the grid's
// IGridRowsOwner, which forwards GetTopRow/SetTopRow/OnRowsEntered/OnRowsLeft/UpdateLayout
// here (SetTopRow as StoreTopRow). Everything runs on the window thread.
class CGridLayout
{
public:
    // Timer of the window that carries deferred EnsureVisible requests; the grid routes its
    // WM_TIMER with this id to OnEnsureVisibleTimer.
    static constexpr UINT_PTR kEnsureVisibleTimer = TimerId(GridTimer::EnsureVisible);
    static constexpr UINT kEnsureVisibleDelayMs = 10;

    CGridLayout(CWnd& window, CGridRows& rows, const GridOptions& options, IGridLayoutHost& host);
    ~CGridLayout();
    CGridLayout(const CGridLayout&) = delete;
    CGridLayout& operator=(const CGridLayout&) = delete;

    // --- Areas (client coordinates, full client width) -------------------------------------
    // Empty while no header is set or it is hidden.
    CRect GetHeaderArea() const;
    // From the header's bottom, as high as the fixed rows, ending at the client bottom at the
    // latest; empty height without fixed rows.
    CRect GetFixedArea() const;
    // The band between fixed and normal rows; empty when hidden or without fixed rows.
    CRect GetSeparatorArea() const;
    // From below the separator to the client bottom.
    CRect GetNormalArea() const;
    // GetFixedArea for ROW_FIXED, GetNormalArea for ROW_NORMAL, empty otherwise.
    CRect GetRowsArea(int rowType) const;

    // --- Row and cell geometry -------------------------------------------------------------
    // The rectangle of a row that is on screen, its bottom clipped to its area; empty for a
    // row that is invalid, not visible, above the top row or below the area.
    CRect GetRowRect(CGridItem* row) const;
    CRect GetRowRectAt(int position, int rowType) const;
    // GetRowRect limited to the client rectangle.
    CRect GetVisibleRowRect(CGridItem* row) const;
    // The row's whole band, not clipped to its area (a partly shown last row keeps its full
    // height, so that its contents are laid out as in every other row); empty when the row
    // is not on screen.
    CRect GetFullRowRectAt(int position, int rowType) const;
    // The row's rectangle cut to the column of `fieldId` (scrolled horizontally unless the
    // column is fixed); empty without a header or for a column that is absent or hidden.
    CRect GetCellRect(CGridItem* row, std::int32_t fieldId) const;
    // As GetCellRect, with a scrolling column kept out of the fixed columns and the result
    // limited to the client rectangle.
    CRect GetVisibleCellRect(CGridItem* row, std::int32_t fieldId) const;
    // The band covering those of positions first..last (inclusive) that are on screen,
    // across the client width; empty when none is.
    CRect GetPositionsRect(int rowType, int first, int last) const;
    // The square of the row's expand button in the hierarchy column (level × row height from
    // the cell's left), limited to the visible part of the cell; empty when the row shows no
    // button (no children and not every row has one, tree option off, no hierarchy column).
    CRect GetExpandButtonRect(CGridItem* row) const;

    // --- Repaint helpers -------------------------------------------------------------------
    void InvalidateRow(CGridItem* row);
    void InvalidateCell(CGridItem* row, std::int32_t fieldId);
    void InvalidatePositions(int rowType, int first, int last);

    // --- Counting --------------------------------------------------------------------------
    // How many whole normal rows fit in `height` pixels from position `start`, moving down to
    // the end of the sequence or up to position 0; the first row that overflows ends the
    // count. 0 for a start outside the sequence.
    int CountRowsThatFit(int start, bool downwards, int height) const;
    // Whole normal rows that fit in the normal area from the top row (downwards) or up to it.
    int GetPageRowCount(bool downwards = true) const;
    // Position of the last row of `rowType` on screen, -1 when none.
    int GetLastVisibleIndex(int rowType) const;
    bool IsOnScreen(int position, int rowType) const;
    bool IsOnScreen(CGridItem* row) const;

    // --- Top row and scroll ranges ---------------------------------------------------------
    int GetTopRow() const;
    // Stores the top row without scrolling or repainting; for the rows, which keep it valid
    // while the sequence changes. Values outside -1..count-1 are clamped.
    void StoreTopRow(int index);
    // Makes `index` the top row. Refused (false) without a window, for an index at or past the
    // number of normal rows, and for a negative index while there are normal rows; true when
    // the top row is `index` afterwards. With `scroll` the scroll bar follows and the view is
    // moved (pixels scrolled, or the normal area invalidated); without it only the index is
    // stored and the caller repaints.
    bool SetTopRow(int index, bool scroll = true);
    // Makes a valid visible normal row the top row.
    bool ScrollToRow(CGridItem* row);
    // Recomputes the scroll bars from the rows and the areas, and repaints the rows from the
    // smallest position changed since the last layout down to the area's bottom.
    void UpdateLayout();
    // The visible sequence of `rowType` changed at `position`: remembered for the next
    // UpdateLayout, which repaints from there.
    void OnRowsEntered(int rowType, int position, int count);
    void OnRowsLeft(int rowType, int position, int count);

    // --- Bringing rows into view -----------------------------------------------------------
    // While the immediate flag is set (every paint sets it, see OnPaint) the row is brought
    // into view at once and the flag is cleared when the view moved; otherwise the request is
    // remembered (the last one wins) and carried out by the ensure-visible timer, so that
    // requests between two paints cost one scroll.
    void EnsureVisible(int position);
    void EnsureVisible(CGridItem* row);
    // The grid calls this from every paint; it sets the immediate flag.
    void OnPaint();
    bool IsImmediate() const;
    // Timer kEnsureVisibleTimer fired: stop it, update the layout, bring the remembered
    // position (if still in range) or else row (if still a visible normal row) into view.
    void OnEnsureVisibleTimer();

    // --- Scroll commands -------------------------------------------------------------------
    // SB_* codes. Thumb commands take the bar's tracked position when it agrees with the
    // 16 bits a scroll message carries, else `position` (a direct call may pass any width).
    void OnVScroll(UINT code, UINT position);
    // Positions are pixels of the horizontal scroll bar; needs a header.
    void OnHScroll(UINT code, UINT position);
    // Sends the grid window one WM_VSCROLL per line (or per page, with -1 wheel lines) that
    // the delta asks for; ignored while a cell is edited. True when handled.
    bool OnMouseWheel(UINT flags, short delta, CPoint point);
    int GetHorzPosition() const;

    // --- Window size -----------------------------------------------------------------------
    // After the window's size changed: updates the layout and, with at least two normal rows,
    // lowers a top row that would leave the last page partly empty. The grid then gives the
    // editor its focus back and rebuilds the drawing resources.
    void OnSize(UINT type, int cx, int cy);

    // --- Hit-testing -----------------------------------------------------------------------
    // The row under a client point (normal area first, then fixed area), or null.
    CGridItem* HitTestRow(int x, int y) const;
    RowPosition HitTestPosition(CPoint point) const;
    // The header's column under x (any y), or null.
    CColumn* HitTestColumn(int x, int y) const;
    // The row whose expand button lies under the point, or null.
    CGridItem* HitTestExpandButton(CPoint point) const;
    // A left-button press: when it lies on an expand button, toggles that row (not
    // recursively), updates the layout, keeps the focus on the row it was on when that row
    // is still visible and its type may take the focus (clears it otherwise), and returns
    // true (the press is consumed). False otherwise, with nothing changed.
    bool OnExpandButtonPress(CPoint point);
    // The column whose right border lies under the point (within 4 pixels either side; a
    // point just right of a column's left edge belongs to the previous column's border), or
    // null. The caller decides whether the point is in the header.
    CColumn* HitTestColumnBorder(CPoint point) const;

    // --- Row heights -----------------------------------------------------------------------
    // -1 for an invalid row.
    int GetRowHeight(CGridItem* row) const;
    // Negative heights are refused. Updates the layout and repaints from the row.
    void SetRowHeight(CGridItem* row, int height);
    // A height measured from the grid's font for rows of `rowType`: when positive and
    // different from the container's default, it becomes the default and every row of the
    // container takes it; the layout is updated and the grid repainted. True when it changed.
    bool ApplyMeasuredRowHeight(int rowType, int height);

private:
    // With at least two normal rows, lowers a top row past the last full page to it.
    void FillLastPage();

    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::GUI
