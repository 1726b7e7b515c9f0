#pragma once

#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/grid/detail/GridLayout.h"
#include "ombrel/gui/grid/GridOptions.h"
#include "ombrel/gui/grid/GridService.h"
#include "ombrel/gui/grid/GridTimer.h"
#include "ombrel/gui/grid/detail/GridTracking.h"
#include "ombrel/gui/rows/GridRowsOwner.h"
#include "ombrel/gui/rows/GridRowsOwner.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/paint/BackgroundImage.h"
#include "ombrel/gui/paint/GridAppearance.h"
#include "ombrel/gui/paint/HighlightSettings.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <map>
#include <vector>

namespace Ombrel {
class CFont;
class CImageList;
struct LOGFONT;
struct NMHDR;
} // namespace Ombrel

namespace Ombrel::Common {
class CFormat;
}

namespace Ombrel::GUI {

class CGridDropTarget;
class CGridEditing;
class CGridEmbeddedControls;
class CGridMouse;
class CGridPainter;
class CRepaintPacer;
class CScreenRepaints;
class CGridRows;
class CGridSelection;
class CGridPrinting;
class CGridTooltips;
struct CellPaintContext;
struct NMGRIDEDIT;

// The state and behaviour behind one CGrid: the rows, layout, selection and paint pass, the
// grid's records and switches, its timers, window messages, owner notifications, the header
// listener and the stored state.
//
// Everything except the members marked "any thread" runs on the window thread (or, before the
// window exists, on the thread that owns the grid object). Other threads reach it only through
// the facade, which sends the registered message; the only state shared across threads is the
// window thread identifier (atomic) and the list of posted records (its own lock).
class CGridImpl final : public IGridRowsOwner, public IGridLayoutHost, public CHeader::INotify
{
public:
    static constexpr UINT kLayoutDelayMs = 10;
    static constexpr std::int64_t kMinimumRepaintDelayMs = 10;

    using PlatformProc = std::function<LRESULT()>;

    explicit CGridImpl(CGrid& grid);
    ~CGridImpl();
    CGridImpl(const CGridImpl&) = delete;
    CGridImpl& operator=(const CGridImpl&) = delete;

    // --- Calls from the facade --------------------------------------------------------------
    // Any thread. 0 until the window exists.
    std::uint32_t GetWindowThreadId() const;
    // Any thread: runs the operation on `record` here, or sends it to the window thread, or
    // (window gone) leaves the record's neutral result.
    void Deliver(GridOperation op, void* record, bool* fromOtherThread);
    // Any thread: queue an operation on the window thread; false when the window is gone.
    bool PostAdd(Common::CDataObject* object, CGridItem* parent, CGridItem* insertAfter);
    bool PostCellRepaint(CGridItem* row, std::int32_t fieldId, std::int64_t delayMs);
    // Window thread: queue the end of edit `editNumber` (operation 187); false when the window
    // is gone.
    bool PostEndEditRequest(CGridItem* row, std::int32_t fieldId, int code, std::uint64_t editNumber);
    // Runs operation `code` on the record (or nothing) at `param`; 0 for an unknown code.
    LRESULT Dispatch(WPARAM code, LPARAM param);
    // The grid window's procedure: `platform` runs the framework's default processing.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam, const PlatformProc& platform);
    void OnPreSubclassWindow();
    // The grid's PreTranslateMessage: key messages of the grid window go to the services and
    // then to the key manager; true consumes the message.
    bool PreTranslateKeyMessage(const MSG& msg);
    // Any thread.
    CFont* GetFont();

    // --- Parts, for the grid's own components and tests ------------------------------------
    CGridRows& GetRows() const { return *m_rows; }
    CGridLayout& GetLayout() const { return *m_layout; }
    CGridSelection& GetSelection() const { return *m_selection; }
    CGridMouse& GetMouse() const { return *m_mouse; }
    CGridEmbeddedControls& GetEmbeddedControls() const { return *m_embedded; }
    CGridDropTarget& GetDropTarget() const { return *m_dropTarget; }
    CGridEditing& GetEditing() const { return *m_editing; }
    // Sends GN_BEGINEDIT / GN_ENDEDIT to the owner.
    void NotifyEdit(NMGRIDEDIT& payload);
    const GridTracking& GetTracking() const { return m_tracking; }
    const GridOptions& GetOptions() const { return m_options; }
    bool IsInitialized() const { return m_state != WindowState::Uninitialized; }
    // When the change-highlighting timer is due (grid clock), -1 while it is not armed.
    std::int64_t GetRepaintTimerDue() const { return m_repaintTimerDue; }

    // --- Services ---------------------------------------------------------------------------
    // Registers a service at the end of the list (window thread). A service registered twice
    // stays once; the grid does not own it.
    void AddService(IGridService* service);
    void RemoveService(IGridService* service);
    // The grid's tooltips (gui/services), registered first; the tooltip operations go to it.
    CGridTooltips& GetTooltips() const { return *m_tooltips; }
    // The context the paint pass would give the cell of `row` in the visible column `fieldId`
    // (client coordinates; the whole cell), for services that measure or place something over
    // a cell. False when the row is not laid out or the column is not shown.
    bool MakeCellContext(CGridItem* row, std::int32_t fieldId, CellPaintContext& context);
    // Sends a column notification (GN_BEGINDRAG .. GN_ENDDROP) with its two arguments.
    void NotifyColumn(int code, CColumn* column, void* pointerArgument, int integerArgument);
    // The tallest picture of dragged rows, in pixels.
    static constexpr int kMaxDragImageHeight = 240;
    // A picture of `rows` as they are on screen (the band from the first to the last of them,
    // at most kMaxDragImageHeight tall), with the place of the client point `point` in it as
    // `hotSpot`; null when none of them is on screen.
    std::unique_ptr<CImageList> MakeDragImage(const std::vector<CGridItem*>& rows, CPoint point,
                                              CPoint& hotSpot);

    // --- IGridRowsOwner ---------------------------------------------------------------------
    CGrid* GetGrid() const override;
    void NotifyRow(int code, CGridItem* row) override;
    bool AnnouncesRows() const override { return m_options.notificationsEnabled; }
    void RepaintRow(CGridItem* row) override;
    void RepaintCell(CGridItem* row, int fieldId) override;
    void RepaintPositions(int rowType, int first, int last) override;
    void RepaintAll() override;
    RowPosition GetFocus() const override;
    void SetFocus(RowPosition focus) override;
    void ClearFocus() override;
    int GetTopRow() const override;
    void SetTopRow(int index) override;
    void OnRowsEntered(int rowType, int position, int count) override;
    void OnRowsLeft(int rowType, int position, int count) override;
    void StartLayoutTimer() override;
    // The deferred layout's timer fired: lays out, or waits on when insertions moved the due time.
    void OnDeferredLayoutTimer();
    void PostDeferredLayout() override;
    void UpdateLayout() override;
    SelectionMode GetSelectionMode() const override;
    std::vector<CSortInfo> GetHeaderSortLevels() const override;
    void OnRowChanged(CGridItem* row, int fieldId) override;

    // --- IGridLayoutHost --------------------------------------------------------------------
    bool CanScrollPixels() const override;
    void HideTransients() override;
    bool IsEditing() const override;
    void OnViewScrolled() override;
    void FlushPendingRepaints() override;

    // --- CHeader::INotify (any thread: carried to the window thread as operation 107) -------
    void OnHeaderChanged(CHeader* header, CColumn* column, int code) override;

private:
    // Window lifecycle and messages.
    void InitializeDrawingDefaults();
    // One function per group of operations, each in its own file.
    LRESULT RunRowsOperation(GridRowsOperation op, LPARAM param);
    LRESULT RunLayoutOperation(GridLayoutOperation op, LPARAM param);
    LRESULT RunSelectionOperation(GridSelectionOperation op, LPARAM param);
    LRESULT RunHeaderOperation(GridHeaderOperation op, LPARAM param);
    LRESULT RunAppearanceOperation(GridAppearanceOperation op, LPARAM param);
    LRESULT RunServicesOperation(GridServicesOperation op, LPARAM param);
    LRESULT RunEmbeddedOperation(GridEmbeddedOperation op, LPARAM param);
    LRESULT RunPrintingOperation(GridPrintingOperation op, LPARAM param);
    // The grid's printing service, made and registered on first use.
    CGridPrinting& Printing();
    LRESULT RunStateOperation(GridStateOperation op, LPARAM param);
    LRESULT RunPostedOperation(GridPostedOperation op, LPARAM param);
    void Initialize();
    void OnDestroy();
    void OnTimer(UINT_PTR id);
    void OnRepaintTimer();
    void ArmRepaintTimer(std::int64_t delayMs);
    void OnKeyDown(UINT virtualKey);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnFontChanged();
    bool HasWindow() const;
    void Invalidate();
    // The window that hears the grid's notifications; null when none would.
    CWnd* FindNotifyReceiver() const;
    void SendNotify(NMHDR& header);
    void NotifyColumn(int code, CColumn* column);

    // Operations (window thread).
    void OnHeaderChange(CHeader* header, CColumn* column, int code);
    CHeader* SetHeader(CHeader* header);
    void ShowHeader(bool show);
    void SetSortInfo(int level, const CSortInfo& info, bool apply);
    void ClearSort();
    CGridItem* GetPrevRow(CGridItem* row, bool crossTypes);
    CGridItem* GetNextRow(CGridItem* row, bool crossTypes);
    int ForEachRow(CGridItem* start, const GridRowVisitor& visitor);
    int ForEachVisibleRow(int index, int rowType, const GridRowVisitor& visitor);
    Common::CFormat* FormatOf(std::int32_t fieldId) const;
    Common::CValue GetFieldValue(CGridItem* row, std::int32_t fieldId);
    CString GetFieldText(CGridItem* row, std::int32_t fieldId);
    bool SetFieldValue(CGridItem* row, std::int32_t fieldId, const Common::CValue& value);
    template <class Text>
    bool SetFieldText(CGridItem* row, std::int32_t fieldId, const Text& text, bool notify,
                      Common::CFormat* format);
    CGridItem* ResolveRow(CGridItem* row, int index, int rowType) const;
    void ScheduleRepaint(CGridItem* row, std::int64_t delayMs);
    void ScheduleCellRepaint(CGridItem* row, std::int32_t fieldId, std::int64_t delayMs);
    std::int64_t GetElapsedSinceChange(CGridItem* row, std::int32_t fieldId);
    void SetFocusableTypes(int mask);
    void EnableSelection(bool enable);
    void EnableMultipleSelection(bool enable);
    void SetSelectableTypes(int mask);
    std::int32_t GetHierarchyColumn() const;
    CColumn* GetFocusColumn() const;
    void EnsureColumnVisible(std::int32_t fieldId);
    void SetPaintOptions(std::uint32_t options);
    void SetDoubleBuffer(bool enable);
    void SetBackgroundImage(const BackgroundImage& image);
    void SetStretchImages(bool stretch);
    void SetImageList(CImageList* imageList, bool stretch);
    void ShowSeparator(bool show);
    void SetSeparatorThickness(int thickness);
    void SetButtonsOnAllRows(bool enable);
    bool ProcessKeyCommand(const GridKeyCommand& command);

    // Keyboard and clipboard services (GridImplServicesOperations.cpp).
    IKeyManager* GetKeyManager() const;
    IKeyManager* SetKeyManager(IKeyManager* manager);
    ICopyPaste* GetCopyPaste() const;
    ICopyPaste* SetCopyPaste(ICopyPaste* service);
    bool CanPaste();
    IDragDrop* GetDragDrop() const;
    IDragDrop* SetDragDrop(IDragDrop* service);
    // At destruction: deletes the grid's own key manager and copy-paste service when they are
    // marked for automatic deletion.
    void ReleaseOwnServices();
    // True once for the key message that PreTranslateKeyMessage offered to the services
    // already, so WindowProc does not offer it twice.
    bool TakePreFilteredKey(UINT message, WPARAM wParam, LPARAM lParam);

    // Drawing-dependent operations.
    ICustomDraw* SetCustomDraw(ICustomDraw* customDraw);
    // At destruction: deletes the grid's own custom draw when it is marked for it.
    void ReleaseCustomDraw();
    ICustomDraw* GetCustomDraw() const;
    CFont* GetEffectiveFont() const;
    void RecalcRowHeights(int typeMask);
    int MeasureHeaderHeight();
    // The widest cell of the column; see PositionsToMeasure for which rows are measured.
    int GetOptimalWidth(std::int32_t fieldId);
    static constexpr int kMeasureAllLimit = 5000;
    static constexpr int kMeasureSampleSize = 2000;
    std::vector<int> PositionsToMeasure(int rowType) const;
    void AutoSizeColumn(CColumn* column);
    void AutoSizeColumns();

    // Stored state.
    struct StoredSettings;
    void Serialize(CArchive& archive);
    void ApplySettings(const StoredSettings& settings);
    void StoreState(CArchive& archive);
    void LoadState(CArchive& archive);
    void LoadHeader(CArchive& archive);
    void FinishLoading();
    void SetOwnFont(const LOGFONT& description);

    // Records posted to the window thread, freed by their handler or at destruction.
    template <GridOperation Op, class Record>
    bool PostRecord(std::shared_ptr<Record> record);
    template <class Record>
    std::shared_ptr<Record> TakePosted(LPARAM record);

    // Where the grid window is in its life. Initialize moves Uninitialized -> Live once per
    // implementation; WM_DESTROY moves to Destroying; a window created again for the same
    // grid moves back to Live without initializing again.
    enum class WindowState
    {
        Uninitialized,
        Live,
        Destroying,
    };

    // Offers a message to the services in order; true when one took it.
    bool OfferToServices(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Calls `call` for each service in registration order until it returns true; true when
    // one did. A service may add or remove services (itself too) meanwhile: the walk goes over
    // the list as it was when it began.
    template <class Call>
    bool AnyService(Call&& call)
    {
        const std::vector<IGridService*> services = m_services;
        for (IGridService* service : services) {
            if (call(*service))
                return true;
        }
        return false;
    }
    // As AnyService for calls that every service gets.
    template <class Call>
    void EachService(Call&& call)
    {
        AnyService([&](IGridService& service) {
            call(service);
            return false;
        });
    }

    CGrid& m_grid;
    std::atomic<std::uint32_t> m_windowThread{0};
    WindowState m_state = WindowState::Uninitialized;
    std::vector<IGridService*> m_services; // registration order; not owned
    bool m_deferredLayoutOwed = false; // a deferred layout could not be posted yet

    GridOptions m_options;
    GridAppearance m_appearance;
    HighlightSettings m_highlight;
    BackgroundImage m_backgroundImage;
    CImageList* m_imageList = nullptr;
    bool m_stretchImages = false;
    ICustomDraw* m_customDraw = nullptr; // the grid's own; null: the process default
    IRowFilter* m_filter = nullptr;
    std::unique_ptr<CFont> m_ownFont;    // a font restored from stored state
    PasteSettings m_pasteSettings;
    bool m_pasteEnabled = true;
    DropSettings m_dropSettings;
    bool m_dropOption = false;
    EditInPlaceSettings m_editSettings;
    IKeyManager* m_keyManager = nullptr; // the grid's own; null: the process default
    ICopyPaste* m_copyPaste = nullptr;   // the grid's own; null: the process default
    IDragDrop* m_dragDrop = nullptr;     // the grid's own; null: the process default
    // The key message offered to the services by PreTranslateKeyMessage and not taken; the
    // window procedure skips offering that message again. message 0: none.
    struct PreFilteredKey
    {
        UINT message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
    } m_preFilteredKey;

    // Change-highlighting timer: when it fires (grid clock), -1 while not armed.
    std::int64_t m_repaintTimerDue = -1;
    // When the deferred layout is due (grid clock, ms); -1 while its timer is not running. An
    // insertion only moves the due time, so a burst of them arms the timer once (arming it is a
    // wake of the window thread's queue: a system call per row otherwise).
    std::int64_t m_layoutDue = -1;

    std::unique_ptr<CGridRows> m_rows;
    std::unique_ptr<CGridLayout> m_layout;
    // Repaints asked for by changes of data (rows, highlight), handed over once per frame.
    std::unique_ptr<CScreenRepaints> m_screenRepaints; // places the pacer's row repaints
    std::unique_ptr<CRepaintPacer> m_repaintPacer;
    std::unique_ptr<CGridSelection> m_selection;
    std::unique_ptr<CGridPainter> m_painter;
    std::unique_ptr<CGridTooltips> m_tooltips; // the first service of the list
    // The second service: a press ends an edit and may start one before the mouse service
    // sees it.
    std::unique_ptr<CGridEditing> m_editing;
    GridTracking m_tracking;               // written by the mouse service, read by the painter
    std::unique_ptr<CGridMouse> m_mouse;   // the second service
    std::unique_ptr<CGridEmbeddedControls> m_embedded; // controls in cells; a service
    std::unique_ptr<CGridPrinting> m_printing; // made on the first print or preview; a service
    // The window's drop-target registration and drags of rows; a service, after the mouse.
    std::unique_ptr<CGridDropTarget> m_dropTarget;

    bool m_applySortChanges = true; // false while a sort level is set without re-sorting

    std::mutex m_postedLock;
    std::map<const void*, std::shared_ptr<void>> m_posted; // guarded by m_postedLock
};

} // namespace Ombrel::GUI
