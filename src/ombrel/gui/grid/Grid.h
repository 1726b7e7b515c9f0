#pragma once

#include "ombrel/base/Geometry.h"
#include "ombrel/base/String.h"
#include "ombrel/common/Value.h"
#include "ombrel/gui/grid/GridOperations.h"
#include "ombrel/gui/grid/GridSettingsRecords.h"
#include "ombrel/gui/rows/GridTypes.h"
#include "ombrel/gui/header/SortInfo.h"
#include "ombrel/gui/paint/PaintedGrid.h"
#include "ombrel/platform/Wnd.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace Ombrel {
class CArchive;
class CFont;
class CImageList;
} // namespace Ombrel

namespace Ombrel::Common {
class CDataObject;
class CFormat;
} // namespace Ombrel::Common

namespace Ombrel::GUI {

class CColumn;
class CEmbeddedControlAdapter;
class CGridImpl;
class CGridItem;
class CGridPrintPreview;
class CHeader;
class ICopyPaste;
class ICustomDraw;
class IDragDrop;
class IEditInPlace;
class IKeyManager;
class IRowFilter;
class ITooltip;
class ITooltipCtrl;
struct BackgroundImage;
struct GridAppearance;
struct HighlightSettings;
struct PrintJob;
struct PrintSettings;

// A keyboard command carried by operation 176: the movement kinds go to the grid's key
// manager, the type-ahead search to the grid itself.
struct GridKeyCommand
{
    enum Kind : int
    {
        MoveUp = 0,
        MoveDown = 1,
        PageUp = 2,
        PageDown = 3,
        MoveHome = 4,
        MoveEnd = 5,
        TypeAhead = 6,
    };

    int kind = TypeAhead;
    bool extend = false;    // movement kinds: extend the selection
    bool focusOnly = false; // movement kinds: move the focus without selecting
    char character = 0;     // TypeAhead: the typed letter or digit
};

// Called for each row of a walk until it returns false.
using GridRowVisitor = std::function<bool(CGridItem* row)>;

// The grid window: a tree of rows showing data objects, under an optional header of columns.
//
// A thin facade over CGridImpl. Every operation may be called from any thread: on the window
// thread, or before the window exists, it runs directly; from another thread it is carried
// to the window thread with the registered message "Ombrel.Grid.SyncMessage" and the caller
// waits for the result. Once the window has been destroyed, calls from other threads return
// the neutral result (false, null, 0 or -1) at once. A caller on another thread must not hold
// anything the window thread may wait for.
//
// Row handles are CGridItem pointers; GRID_ROOT and GRID_FIXED_ROOT name the two roots.
// Invalid handles, positions out of range and missing services give the neutral result and
// change nothing. Positions are indices in the visible sequence of a row type.
class CGrid : public CWnd, public IPaintedGrid
{
public:
    CGrid();
    ~CGrid() override;

    // Creates the grid window of the registered class "Ombrel.Grid" (clip siblings and clip
    // children are added to `style`); the window thread is the calling thread. Pass
    // WS_VSCROLL | WS_HSCROLL for scroll bars (Ombrel::GridWidget does): the grid keeps their
    // ranges, and each bar shows while the rows or the columns do not fit.
    bool Create(DWORD style, const CRect& rect, CWnd* parent, UINT id);

    // Stores or restores the grid's settings, header and sort state. Loading a newer version
    // raises CArchiveException::badSchema; a header of an unknown class raises badClass.
    virtual void Serialize(CArchive& archive);

    // ---- Rows -------------------------------------------------------------------------------
    CGridItem* Add(Common::CDataObject* object, CGridItem* parent = GRID_ROOT,
                   CGridItem* insertAfter = GRID_LAST);
    // Queues the addition on the window thread and returns at once (no row handle); false
    // when the window does not exist.
    bool PostAdd(Common::CDataObject* object, CGridItem* parent = GRID_ROOT,
                 CGridItem* insertAfter = GRID_LAST);
    // One row per object under one parent, in one call from any thread: the rows come out as
    // Add would make them one after the other (from `insertAfter` on, in this order), but they
    // are registered together, a sorted parent sorts the burst once, the layout is recomputed
    // once. Each row is announced with GN_ROWADDED while notifications are on. Returns the new
    // rows in the order of `objects`; none when `parent` is not a parent of this grid.
    std::vector<CGridItem*> AddMany(std::span<Common::CDataObject* const> objects,
                                    CGridItem* parent = GRID_ROOT,
                                    CGridItem* insertAfter = GRID_LAST);
    // Makes room for `count` more rows of `rowType` (ROW_NORMAL or ROW_FIXED): rows that will
    // come in bursts (a file being read) are then added without the grid's tables growing
    // burst by burst. Changes nothing that shows.
    void ReserveRows(std::uint64_t count, int rowType = ROW_NORMAL);
    bool Remove(CGridItem* row);
    bool RemoveAt(int index, int rowType);
    bool RemoveAll(int typeMask = ROW_ALL_TYPES);
    // Rows showing `object`, in both row types as the mask allows; returns how many.
    int FindRows(Common::CDataObject* object, std::vector<CGridItem*>& out,
                 int typeMask = ROW_ALL_TYPES, bool visibleOnly = false);
    CGridItem* FindRow(Common::CDataObject* object);
    // Every row of the fixed tree, then of the normal tree, in pre-order.
    void GetAllRows(int typeMask, std::vector<CGridItem*>& out);
    // Puts a row taken out with Detach back into this grid.
    bool Attach(CGridItem* row, CGridItem* parent = GRID_ROOT, CGridItem* insertAfter = GRID_LAST);
    bool Detach(CGridItem* row);
    // Moves `row` before or after `reference` (GRID_FIRST, GRID_LAST or a child of the new
    // parent) under `parent` (GRID_ROOT, GRID_FIXED_ROOT, a row, or null for the current one).
    void Move(CGridItem* row, CGridItem* reference, CGridItem* parent = nullptr,
              bool before = false);
    void Expand(CGridItem* row, bool recursive = false);
    void Collapse(CGridItem* row, bool recursive = false);

    int GetRowType(CGridItem* row);
    bool IsValid(CGridItem* row);
    bool IsVisible(CGridItem* row);
    bool IsExpanded(CGridItem* row);
    void GetChildren(CGridItem* parent, std::vector<CGridItem*>& out);
    bool HasChildren(CGridItem* row);
    int GetLevel(CGridItem* row);
    // The parent row (a container's root handle for a top-level row); GetParent() without an
    // argument stays the parent window.
    using CWnd::GetParent;
    CGridItem* GetParent(CGridItem* row);
    int GetVisibleIndex(CGridItem* row);
    CGridItem* GetRowAt(int index, int rowType) override;
    int GetRowCount(int rowType);
    // The row before `row` in its visible sequence; from the first normal row, the last fixed
    // row when `crossTypes` is set.
    CGridItem* GetPrevRow(CGridItem* row, bool crossTypes = false);
    // The row after `row`; from the last fixed row, the first normal row when `crossTypes`.
    CGridItem* GetNextRow(CGridItem* row, bool crossTypes = false);
    Common::CDataObject* GetDataObject(CGridItem* row);
    // Visits the rows of `start`'s tree from `start` on in pre-order (a root handle: the whole
    // tree) until the visitor returns false; returns how many rows were visited.
    int ForEachRow(CGridItem* start, const GridRowVisitor& visitor);
    // The same over visible positions from `index` on.
    int ForEachVisibleRow(int index, int rowType, const GridRowVisitor& visitor);

    // ---- Field values of a row (a missing format: the header column's format) --------------
    Common::CValue GetFieldValue(CGridItem* row, std::int32_t fieldId);
    std::string GetFieldText(CGridItem* row, std::int32_t fieldId);
    CString GetFieldTextString(CGridItem* row, std::int32_t fieldId);
    bool SetFieldValue(CGridItem* row, std::int32_t fieldId, const Common::CValue& value);
    // The text is parsed with `format` (null: the header column's format, else the field's)
    // and handed to the field's setter; false, and the value stays, when it does not parse.
    // With `notify`, a successful setter is followed by the object's NotifyUpdate(fieldId).
    bool SetFieldText(CGridItem* row, std::int32_t fieldId, const std::string& text,
                      bool notify = true, Common::CFormat* format = nullptr);
    bool SetFieldTextString(CGridItem* row, std::int32_t fieldId, const CString& text,
                            bool notify = true, Common::CFormat* format = nullptr);

    // ---- Layout and scrolling ---------------------------------------------------------------
    CGridItem* HitTestRow(int x, int y);
    CRect GetRowsArea(int rowType);
    CRect GetRowRect(CGridItem* row);
    CRect GetVisibleRowRect(CGridItem* row);
    CRect GetCellRect(CGridItem* row, std::int32_t fieldId);
    CRect GetVisibleCellRect(CGridItem* row, std::int32_t fieldId);
    // Rows that fit in the normal area counting down from the top row, or up from it.
    int GetPageRowCount(bool downwards = true);
    int GetRowHeight(CGridItem* row);
    void SetRowHeight(CGridItem* row, int height);
    void UpdateLayout();
    int GetTopRow();
    bool SetTopRow(int index);
    int GetLastVisibleIndex(int rowType);
    void EnsureVisible(int index);
    void EnsureVisible(CGridItem* row);
    bool IsOnScreen(int index, int rowType);
    bool IsOnScreen(CGridItem* row);
    void ScrollToRow(CGridItem* row);
    // Measures the default row height of each container from the grid's font with the custom
    // draw, and gives it to every row (both row types).
    void AutoSizeRows();
    // The same for the containers of the row types in `typeMask`.
    void RecalcRowHeights(int typeMask);
    // Widest cell of the column of `fieldId` over the visible rows, with the column's header
    // text; 0 for a field that has no column.
    int GetOptimalWidth(std::int32_t fieldId);

    // ---- Focus and selection ---------------------------------------------------------------
    using CWnd::SetFocus;
    // Focus on (index, rowType); (-1, 0) clears it. True when the focus is now exactly there.
    bool SetFocus(int index, int rowType);
    int GetFocusIndex();
    int GetFocusType();
    void SetFocusableTypes(int typeMask);
    bool IsFocusable(int rowType);
    bool Select(CGridItem* row, bool select = true);
    bool SelectAt(int index, int rowType, bool select = true);
    // Applies Select to every row that shows `object`; true when any row changed.
    bool SelectObject(Common::CDataObject* object, bool select = true);
    bool IsSelected(CGridItem* row);
    bool IsSelectedAt(int index, int rowType);
    int GetSelectedCount();
    // Selected rows of the mask's types, fixed before normal, each in visible order.
    void GetSelectedRows(int typeMask, std::vector<CGridItem*>& out);
    void SelectAll();
    void ClearSelection();
    void EnableSelection(bool enable);
    bool IsSelectionEnabled();
    void EnableMultipleSelection(bool enable);
    bool IsMultipleSelectionEnabled();
    void SetSelectableTypes(int typeMask);
    bool IsSelectable(int rowType);
    void EnableNotifications(bool enable);
    bool AreNotificationsEnabled();

    // ---- Sorting and filtering -------------------------------------------------------------
    void SetSortedTypes(int typeMask);
    int GetSortedTypes();
    void ClearSort();
    // Sets a sort level of the header; `apply` re-sorts the rows at once.
    void SetSortInfo(int level, const CSortInfo& info, bool apply = true);
    CSortInfo GetSortInfo(int level) override;
    int GetSortLevelCount();
    void Resort();
    // The filter is not owned; returns the previous one.
    IRowFilter* SetFilter(IRowFilter* filter);
    IRowFilter* GetFilter();
    void RefreshFilter();

    // ---- Header and columns ----------------------------------------------------------------
    // Returns the previous header; the grid listens to the new one. The grid deletes the
    // header it holds at destruction when the header is marked for automatic deletion.
    CHeader* SetHeader(CHeader* header);
    CHeader* GetHeader() override;
    void ShowHeader(bool show);
    bool IsHeaderShown();
    // Fits the column of `fieldId` to its content (GetOptimalWidth).
    void AutoSizeColumn(std::int32_t fieldId);
    void AutoSizeColumnAt(int position);
    void AutoSizeColumns();
    // The custom draw's header height for the header's font, else the grid's, else the
    // default font.
    int MeasureHeaderHeight();
    CColumn* HitTestColumn(int x, int y);
    CColumn* GetFocusColumn();
    // The field of the column that carries the tree: the first visible column; 0 without one.
    std::int32_t GetHierarchyColumn() override;
    void EnsureColumnVisible(std::int32_t fieldId);
    void SetSortEnabled(bool enable);
    bool IsSortEnabled();
    void SetMultiSortEnabled(bool enable);
    bool IsMultiSortEnabled();

    // ---- Change highlighting ---------------------------------------------------------------
    // A positive delay repaints the row after `delayMs`; otherwise it is repainted at once.
    void ScheduleRepaint(CGridItem* row, std::int64_t delayMs);
    void ScheduleRepaint(int index, int rowType, std::int64_t delayMs);
    void ScheduleCellRepaint(CGridItem* row, std::int32_t fieldId, std::int64_t delayMs) override;
    // Queues ScheduleCellRepaint on the window thread and returns at once.
    bool PostScheduleCellRepaint(CGridItem* row, std::int32_t fieldId, std::int64_t delayMs);
    // Milliseconds since the field (AllFields, NoField: the row) changed; -1 when unknown.
    std::int64_t GetElapsedSinceChange(CGridItem* row, std::int32_t fieldId) override;
    std::int64_t GetElapsedSinceChange(int index, int rowType, std::int32_t fieldId);

    // ---- Appearance and drawing ------------------------------------------------------------
    // Record getters return the grid's own record; it may be changed in place (repaint then).
    GridAppearance* GetAppearance() override;
    void SetAppearance(const GridAppearance& appearance);
    BackgroundImage* GetBackgroundImage();
    void SetBackgroundImage(const BackgroundImage& image);
    void SetPaintOptions(std::uint32_t options);
    std::uint32_t GetPaintOptions();
    void SetDoubleBuffer(bool enable);
    bool GetDoubleBuffer();
    // The image list is not owned.
    void SetImageList(CImageList* imageList, bool stretch);
    CImageList* GetImageList();
    void SetStretchImages(bool stretch);
    bool GetStretchImages();
    // Every row shows an expand button, not only rows with children.
    void SetButtonsOnAllRows(bool enable);
    bool HasButtonsOnAllRows() override;
    HighlightSettings* GetHighlightSettings();
    void SetHighlightSettings(const HighlightSettings& settings);
    void ShowSeparator(bool show);
    bool IsSeparatorShown();
    void SetSeparatorThickness(int thickness);
    int GetSeparatorThickness();
    // Returns the previous custom draw (null when the grid had none of its own), which the
    // caller owns from then on. The grid deletes the custom draw it holds when it is destroyed
    // if that object is marked for automatic deletion. Measures the row heights again.
    ICustomDraw* SetCustomDraw(ICustomDraw* customDraw);
    // The grid's own custom draw, else the process default; never null.
    ICustomDraw* GetCustomDraw();
    // The grid's font (not owned); null when none was set, and painters use the default font.
    CFont* GetFont() override;
    // The grid paints into its own window.
    CWnd* GetPaintedWindow() override { return this; }

    // ---- Tooltips ------------------------------------------------------------------------------
    // Which tooltip shows when the pointer rests over a cell: a TooltipKind (default
    // TooltipInPlace); false and no change for other values.
    bool SetTooltipKind(int kind);
    int GetTooltipKind();
    // Tooltips on (default) or off; off hides a shown tooltip.
    void EnableTooltips(bool enable);
    bool AreTooltipsEnabled();
    // Off by default: while a tooltip is shown, the next cell's tooltip shows at once.
    void EnableInstantTooltipReshow(bool enable);
    bool IsInstantTooltipReshowEnabled();
    // The text provider. The grid deletes the provider it drops when that is marked for
    // automatic deletion; null returns to the default. Get answers the default when none is set.
    void SetTooltip(ITooltip* provider);
    ITooltip* GetTooltip();
    // The tooltip at the cursor and the in-place tooltip. A control set is attached to the
    // grid window (now, or when it is created); the one it replaces is detached and deleted
    // when marked for automatic deletion. Null returns to the control the grid made itself.
    // Get never answers null.
    void SetTooltipCtrl(ITooltipCtrl* control);
    ITooltipCtrl* GetTooltipCtrl();
    void SetInPlaceTooltipCtrl(ITooltipCtrl* control);
    ITooltipCtrl* GetInPlaceTooltipCtrl();
    // The settings of the tooltip at the cursor and of the in-place tooltip, by address (the
    // caller may change members in place, on the window thread). Set copies a record whole;
    // false and no change for one IsValidTooltipSettings rejects.
    TooltipSettings* GetTooltipSettings();
    bool SetTooltipSettings(const TooltipSettings& settings);
    TooltipSettings* GetInPlaceTooltipSettings();
    bool SetInPlaceTooltipSettings(const TooltipSettings& settings);

    // ---- Settings stored for the other services ----------------------------------------------
    PasteSettings* GetPasteSettings();
    void SetPasteSettings(const PasteSettings& settings);
    void EnablePaste(bool enable);
    bool IsPasteEnabled();
    DropSettings* GetDropSettings();
    void SetDropSettings(const DropSettings& settings);
    void SetDropOption(bool enable);
    bool GetDropOption();
    void SetKeyboardTypes(int typeMask);
    bool IsKeyboardType(int rowType);
    EditInPlaceSettings* GetEditInPlaceSettings();
    void SetEditInPlaceSettings(const EditInPlaceSettings& settings);

    // ---- Keyboard --------------------------------------------------------------------------
    // Runs a keyboard command; false when it did nothing (no normal rows, the left mouse
    // button held, an unknown kind).
    bool ProcessKeyCommand(const GridKeyCommand& command);
    // The key manager that gets the grid window's keys; null goes back to the process default.
    // Returns the grid's previous own manager (null when it had none), which the caller owns
    // from then on. The grid deletes the manager it holds at destruction when it is marked
    // for automatic deletion.
    IKeyManager* SetKeyManager(IKeyManager* manager);
    // The grid's own manager, else the process default; never null.
    IKeyManager* GetKeyManager();

    // ---- Copy and paste --------------------------------------------------------------------
    // Copy and cut put the selected rows on the clipboard (a cut moves them when they are
    // pasted); paste inserts what the clipboard holds at the focused row. False when nothing
    // was put on or taken from the clipboard.
    bool Copy();
    bool Cut();
    bool Paste();
    // Whether Paste could take something: pasting is on and the clipboard holds a format of
    // the grid's copy-paste service.
    bool CanPaste();
    // The copy-paste service, owned as SetKeyManager owns the key manager.
    ICopyPaste* SetCopyPaste(ICopyPaste* service);
    ICopyPaste* GetCopyPaste();

    // ---- Drag and drop ---------------------------------------------------------------------
    // The drag-and-drop service, owned as SetKeyManager owns the key manager: selected rows are
    // dragged out through it, and drops onto the grid (the window is a drop target while it
    // exists) are decided by it against the drop settings (GetDropSettings).
    IDragDrop* SetDragDrop(IDragDrop* service);
    // The grid's own service, else the process default; never null.
    IDragDrop* GetDragDrop();

    // ---- Embedded controls -----------------------------------------------------------------
    // Places `control` (a child of the grid window) on the cell of `row` and `fieldId` and keeps
    // it there while the view scrolls and the layout changes. Returns the cell's adapter, owned
    // by the grid until the control or the row goes or the grid window is destroyed; null for
    // NoField / AllFields, a control that is no window, a row not in the grid, or a cell that
    // already has a control.
    CEmbeddedControlAdapter* AttachEmbeddedControl(CWnd* control, CGridItem* row, std::int32_t fieldId);
    bool HasEmbeddedControl(CGridItem* row, std::int32_t fieldId);

    // ---- Printing --------------------------------------------------------------------------
    // Prints pages `job.fromPage` to `job.toPage` (1-based) of the grid, cut as the preview
    // cuts it, to the job's printer (null: the grid's own, the default printer or a PDF file).
    // Returns the pages printed: 0 without a printer, when nothing is to print, or when the
    // user cancelled the progress dialog.
    int Print(const PrintSettings& settings, const PrintJob& job);
    // Opens the print preview over the grid window with a copy of `settings` (an open preview
    // of this grid is closed first). The grid owns the window; it lives until it is closed or
    // the grid window goes. Null when the window cannot be made or a print is under way.
    CGridPrintPreview* PrintPreview(const PrintSettings& settings);
    // ---- In-place editing --------------------------------------------------------------------
    // The policy that decides about editing (IEditInPlace): the grid's own, null goes back to
    // the process default. Returns the previous own policy (null when there was none), which
    // the caller owns from then on; an edit in progress ends first (committing). The grid
    // deletes the policy it holds at destruction when it is marked for automatic deletion.
    IEditInPlace* SetEditInPlace(IEditInPlace* policy);
    // The grid's own policy, else the process default; never null.
    IEditInPlace* GetEditInPlace();
    // Whether the policy would let an edit of the cell start with `trigger` (EditStartTrigger
    // or a value of the caller's); starts nothing.
    bool CanBeginEdit(CGridItem* row, std::int32_t fieldId, int trigger);
    bool CanBeginEdit(int index, int rowType, std::int32_t fieldId, int trigger);
    // Starts editing the cell: scrolls it into view and opens the editor its format's reflector
    // chooses. False when editing is off, another edit is in progress, the policy refuses or
    // the editor cannot be made.
    bool BeginEdit(CGridItem* row, std::int32_t fieldId, int trigger);
    // Ends the edit in progress with an end code (EditEndCode): a committing code writes the
    // editor's value. False when nothing was being edited.
    bool EndEdit(int code);
    // The editor window of the edit in progress; null when none (or the edit needs no window).
    CWnd* GetEditor();

    // Window thread (painting): whether the pointer was last seen over this cell of the grid
    // (tracked from the grid's mouse moves, forgotten when the pointer leaves the window).
    bool IsPointerOverCell(CGridItem* row, std::int32_t fieldId);

    // IPaintedGrid, window thread (painting): a painted row's time since change read from the
    // row itself, and the editing settings a paint snapshot keeps.
    std::int64_t GetPaintedElapsedSinceChange(CGridItem& row, std::int32_t fieldId) override;
    const EditInPlaceSettings* GetEditSettingsForPaint() override;
    // IPaintedGrid: the in-place editing policy's say in painting a cell.
    std::uint32_t AdjustEditPaintFlags(CellPaintContext& context, CDC& dc, std::uint32_t flags) override;
    void DrawEditHint(CellPaintContext& context, CDC& dc, std::uint32_t flags) override;

    // ---- Platform hooks --------------------------------------------------------------------
    bool PreCreateWindow(CREATESTRUCT& cs) override;
    void PreSubclassWindow() override;
    // Key messages of the grid window go to the key manager and are consumed when it handles
    // them, before the host frame's accelerators see them.
    bool PreTranslateMessage(MSG* msg) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The implementation behind a grid, or null for an object that is no live grid. Any
    // thread may ask; the answer is only usable on the grid's window thread.
    static CGridImpl* FindImpl(const CGrid* grid);

    // The registered message that carries operations to the window thread.
    static UINT GetSyncMessage();

private:
    template <GridOperation Op, class... Args>
    auto Call(Args&&... args);
    void Deliver(GridOperation op, void* record, bool* fromOtherThread);

    std::unique_ptr<CGridImpl> m_impl;
};

} // namespace Ombrel::GUI
