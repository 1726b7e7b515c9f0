// The grid implementation: construction, the window's messages and timers, the rows' owner,
// owner notifications and the header listener.

#include "ombrel/gui/grid/detail/GridImpl.h"
#include "ombrel/gui/grid/detail/GridEditing.h"
#include "ombrel/gui/grid/detail/GridEmbeddedControls.h"
#include "ombrel/gui/grid/detail/GridDropTarget.h"

#include "ombrel/base/Clock.h"
#include "ombrel/base/ThreadId.h"
#include "ombrel/gui/grid/detail/GridCallRecords.h"
#include "ombrel/gui/rows/GridClock.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/gui/grid/GridNotifications.h"
#include "ombrel/gui/grid/detail/GridMouse.h"
#include "ombrel/gui/grid/detail/GridPainter.h"
#include "ombrel/gui/grid/detail/RepaintPacer.h"
#include "ombrel/gui/grid/detail/ScreenRepaints.h"
#include "ombrel/gui/rows/GridRows.h"
#include "ombrel/gui/grid/GridSelection.h"
#include "ombrel/gui/rows/ItemContainer.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/services/detail/GridTooltips.h"
#include "ombrel/gui/print/GridPrinting.h"
#include "ombrel/platform/Font.h"
#include "ombrel/platform/Input.h"
#include "ombrel/platform/WindowMessaging.h"

#include <algorithm>
#include <chrono>

// The switch over the posted operations must name every one of them.
#pragma GCC diagnostic error "-Wswitch"

namespace Ombrel::GUI {

CGridImpl::CGridImpl(CGrid& grid) : m_grid(grid)
{
    m_options.wheelScrollLines = ReadWheelScrollLines();
    InitializeDrawingDefaults();
    m_rows = std::make_unique<CGridRows>(*this);
    m_layout = std::make_unique<CGridLayout>(grid, *m_rows, m_options, *this);
    m_screenRepaints = std::make_unique<CScreenRepaints>(*m_layout, *m_rows);
    m_repaintPacer = std::make_unique<CRepaintPacer>(grid, m_screenRepaints.get());
    m_selection = std::make_unique<CGridSelection>(grid, *m_rows, m_options, *m_layout);
    m_painter = std::make_unique<CGridPainter>(grid, *m_rows, *m_layout, m_options, m_tracking);
    // Tooltips come first: they hide before any service or the grid acts on a press or a key.
    m_tooltips = std::make_unique<CGridTooltips>(grid, *this);
    AddService(m_tooltips.get());
    m_editing = std::make_unique<CGridEditing>(grid, *this, *m_rows, *m_layout);
    AddService(m_editing.get());
    m_mouse = std::make_unique<CGridMouse>(grid, *m_layout, m_options, m_tracking);
    AddService(m_mouse.get());
    m_embedded = std::make_unique<CGridEmbeddedControls>(grid, *m_rows, *m_layout);
    AddService(m_embedded.get());
    m_dropTarget = std::make_unique<CGridDropTarget>(grid, *this, m_tracking);
    AddService(m_dropTarget.get());
    m_mouse->SetRowDrag(m_dropTarget.get());
}

CGridImpl::~CGridImpl()
{
    if (m_printing) {
        RemoveService(m_printing.get());
        m_printing.reset();
    }
    RemoveService(m_tooltips.get());
    m_tooltips.reset();
    if (CHeader* header = m_options.header) {
        header->RemoveNotify(this);
        m_options.header = nullptr;
        if (header->IsAutoDelete())
            delete header;
    }
    ReleaseCustomDraw();
    m_mouse->SetRowDrag(nullptr);
    RemoveService(m_dropTarget.get());
    m_dropTarget.reset();
    RemoveService(m_embedded.get());
    m_embedded.reset();
    RemoveService(m_editing.get());
    m_editing->ReleasePolicy();
    m_editing.reset();
    RemoveService(m_mouse.get());
    m_mouse.reset();
    ReleaseOwnServices();
    m_painter.reset();
    // The rows go while layout and selection still answer for them.
    m_rows.reset();
    m_selection.reset();
    m_layout.reset();
}

// ---- Cross-thread calls ---------------------------------------------------------------------

std::uint32_t CGridImpl::GetWindowThreadId() const
{
    return m_windowThread.load(std::memory_order_acquire);
}

void CGridImpl::Deliver(GridOperation op, void* record, bool* fromOtherThread)
{
    const std::uint32_t windowThread = GetWindowThreadId();
    if (windowThread != 0 && windowThread != GetCurrentThreadId()) {
        // A window that is gone leaves the neutral result; SendMessage also gives up without
        // blocking when the window goes away before the message is handled.
        if (!IsWindow(&m_grid))
            return;
        *fromOtherThread = true;
        SendMessage(&m_grid, CGrid::GetSyncMessage(), static_cast<WPARAM>(op),
                    reinterpret_cast<LPARAM>(record));
        return;
    }
    Dispatch(static_cast<WPARAM>(op), reinterpret_cast<LPARAM>(record));
}

template <GridOperation Op, class Record>
bool CGridImpl::PostRecord(std::shared_ptr<Record> record)
{
    const void* key = record.get();
    {
        std::lock_guard lock(m_postedLock);
        m_posted.emplace(key, std::move(record));
    }
    if (PostMessage(&m_grid, CGrid::GetSyncMessage(), static_cast<WPARAM>(Op),
                    reinterpret_cast<LPARAM>(key)))
        return true;
    std::lock_guard lock(m_postedLock);
    m_posted.erase(key);
    return false;
}

template <class Record>
std::shared_ptr<Record> CGridImpl::TakePosted(LPARAM record)
{
    std::lock_guard lock(m_postedLock);
    auto found = m_posted.find(reinterpret_cast<const void*>(record));
    if (found == m_posted.end())
        return nullptr;
    std::shared_ptr<Record> taken = std::static_pointer_cast<Record>(found->second);
    m_posted.erase(found);
    return taken;
}

bool CGridImpl::PostAdd(Common::CDataObject* object, CGridItem* parent, CGridItem* insertAfter)
{
    using Record = GridCallOf<GridOperation::AddPosted>::Record;
    auto record = std::make_shared<Record>(Record{{object, parent, insertAfter}, {}});
    return PostRecord<GridOperation::AddPosted>(std::move(record));
}

bool CGridImpl::PostEndEditRequest(CGridItem* row, std::int32_t fieldId, int code,
                                   std::uint64_t editNumber)
{
    using Record = GridCallOf<GridOperation::EndEditRequest>::Record;
    auto record = std::make_shared<Record>(Record{{row, fieldId, code, editNumber}, {}});
    return PostRecord<GridOperation::EndEditRequest>(std::move(record));
}

bool CGridImpl::PostCellRepaint(CGridItem* row, std::int32_t fieldId, std::int64_t delayMs)
{
    using Record = GridCallOf<GridOperation::ScheduleCellRepaintPosted>::Record;
    auto record = std::make_shared<Record>(Record{{row, fieldId, delayMs}, {}});
    return PostRecord<GridOperation::ScheduleCellRepaintPosted>(std::move(record));
}

LRESULT CGridImpl::RunPostedOperation(GridPostedOperation op, LPARAM param)
{
    using G = GridPostedOperation;
    using Op = GridOperation;
    switch (op) {
    case G::Initialize:
        Initialize();
        return 1;
    case G::AddPosted:
        if (auto record = TakePosted<GridCallOf<Op::AddPosted>::Record>(param)) {
            auto [object, parent, insertAfter] = record->args;
            m_rows->Add(object, parent, insertAfter);
            return 1;
        }
        return 0;
    case G::ScheduleCellRepaintPosted:
        if (auto record = TakePosted<GridCallOf<Op::ScheduleCellRepaintPosted>::Record>(param)) {
            auto [row, fieldId, delayMs] = record->args;
            ScheduleCellRepaint(row, fieldId, delayMs);
            return 1;
        }
        return 0;
    case G::EndEditRequest:
        if (auto record = TakePosted<GridCallOf<Op::EndEditRequest>::Record>(param)) {
            auto [row, fieldId, code, editNumber] = record->args;
            m_editing->OnEndRequest(row, fieldId, code, editNumber);
            return 1;
        }
        return 0;
    case G::DeferredUpdateLayout:
        m_rows->OnDeferredLayout();
        return 1;
    case G::RebuildResources:
        m_painter->RebuildResources();
        Invalidate();
        return 1;
    }
    return 0;
}

// ---- Window -----------------------------------------------------------------------------------

bool CGridImpl::HasWindow() const
{
    return IsWindow(&m_grid);
}

void CGridImpl::Invalidate()
{
    if (HasWindow())
        m_grid.InvalidateRect(nullptr, false);
}

void CGridImpl::OnPreSubclassWindow()
{
    m_windowThread.store(GetCurrentThreadId(), std::memory_order_release);
    PostMessage(&m_grid, CGrid::GetSyncMessage(), static_cast<WPARAM>(GridOperation::Initialize), 0);
}

void CGridImpl::Initialize()
{
    if (m_state != WindowState::Uninitialized)
        return;
    m_state = WindowState::Live;
    m_windowThread.store(GetCurrentThreadId(), std::memory_order_release);
    if (m_ownFont && m_grid.CWnd::GetFont() == nullptr)
        m_grid.SetFont(m_ownFont.get(), false);
    m_painter->RebuildResources();
    if (m_deferredLayoutOwed) {
        m_deferredLayoutOwed = false;
        m_rows->OnDeferredLayout();
    }
    m_layout->UpdateLayout();
    EachService([](IGridService& service) { service.OnWindowCreated(); });
}

bool CGridImpl::OfferToServices(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (m_services.empty() || !IGridService::IsFilteredMessage(message) ||
        TakePreFilteredKey(message, wParam, lParam))
        return false;
    return AnyService([&](IGridService& service) {
        return service.PreFilterMessage(message, wParam, lParam, result);
    });
}

LRESULT CGridImpl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam,
                              const PlatformProc& platform)
{
    if (message == CGrid::GetSyncMessage())
        return Dispatch(wParam, lParam);
    if (LRESULT taken = 0; OfferToServices(message, wParam, lParam, taken))
        return taken;
    switch (message) {
    case WM_CREATE: {
        const LRESULT result = platform();
        if (result != -1) {
            // The same grid object may get a new window after the old one was destroyed.
            if (m_state == WindowState::Destroying)
                m_state = WindowState::Live;
            Initialize();
        }
        return result;
    }
    case WM_DESTROY:
        OnDestroy();
        return platform();
    case WM_PAINT: {
        const auto start = std::chrono::steady_clock::now();
        m_painter->Paint();
        m_repaintPacer->OnPainted(std::chrono::duration_cast<std::chrono::microseconds>(
                                      std::chrono::steady_clock::now() - start)
                                      .count());
        return 0;
    }
    case WM_ERASEBKGND:
        // The paint pass covers every pixel; erasing first would only flicker.
        return 1;
    case WM_SIZE: {
        const LRESULT result = platform();
        m_layout->OnSize(static_cast<UINT>(wParam), LOWORD(static_cast<std::uint64_t>(lParam)),
                         HIWORD(static_cast<std::uint64_t>(lParam)));
        m_painter->RebuildResources();
        return result;
    }
    case WM_VSCROLL:
        m_layout->OnVScroll(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_HSCROLL:
        m_layout->OnHScroll(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(static_cast<UINT>(wParam));
        return platform();
    case WM_LBUTTONDOWN:
        OnLButtonDown(GET_KEYSTATE_WPARAM(wParam), CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
        return 0;
    case WM_LBUTTONUP:
        if (GetCapture() == &m_grid)
            ReleaseCapture();
        return platform();
    case WM_MOUSEWHEEL: {
        const CPoint point(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        if (m_layout->OnMouseWheel(GET_KEYSTATE_WPARAM(wParam), GET_WHEEL_DELTA_WPARAM(wParam), point))
            return 0;
        return platform();
    }
    case WM_TIMER:
        OnTimer(static_cast<UINT_PTR>(wParam));
        return 0;
    case WM_SETFONT: {
        const LRESULT result = platform();
        OnFontChanged();
        return result;
    }
    default:
        return platform();
    }
}

void CGridImpl::OnDestroy()
{
    m_state = WindowState::Destroying;
    // Every row leaves with its GN_ROWREMOVED while the window can still send it.
    m_rows->RemoveAll(ROW_ALL_TYPES);
    EachService([&](IGridService& service) { service.OnWindowDestroying(); });
    for (UINT_PTR timer = 0; timer < kGridTimerCount; ++timer)
        m_grid.KillTimer(timer);
    m_repaintTimerDue = -1;
    m_layoutDue = -1;
    m_repaintPacer->Reset();
}

void CGridImpl::OnTimer(UINT_PTR id)
{
    // Timers of the services (AutoScroll, Hover, TooltipDisplay) reach them through
    // PreFilterMessage.
    switch (static_cast<GridTimer>(id)) {
    case GridTimer::Repaint:
        OnRepaintTimer();
        break;
    case GridTimer::DeferredLayout:
        OnDeferredLayoutTimer();
        break;
    case GridTimer::EnsureVisible:
        m_layout->OnEnsureVisibleTimer();
        break;
    case GridTimer::HeaderLayout:
        m_grid.KillTimer(id);
        m_layout->UpdateLayout();
        Invalidate();
        break;
    case GridTimer::Frame:
        m_repaintPacer->OnFrameTimer();
        break;
    case GridTimer::AutoScroll:
    case GridTimer::Hover:
    case GridTimer::TooltipDisplay:
    case GridTimer::Count:
        break;
    }
}

void CGridImpl::ArmRepaintTimer(std::int64_t delayMs)
{
    if (delayMs <= 0) {
        OnRepaintTimer();
        return;
    }
    if (!HasWindow())
        return;
    delayMs = std::max(delayMs, kMinimumRepaintDelayMs);
    const std::int64_t due = GetGridTime() + delayMs;
    // A pending timer that fires no later than the new request serves it too.
    if (m_repaintTimerDue >= 0 && m_repaintTimerDue <= due)
        return;
    const auto elapse = static_cast<UINT>(std::min<std::int64_t>(delayMs, 0x7FFFFFFF));
    if (m_grid.SetTimer(TimerId(GridTimer::Repaint), elapse) != 0)
        m_repaintTimerDue = due;
}

void CGridImpl::OnRepaintTimer()
{
    if (m_repaintTimerDue >= 0)
        m_grid.KillTimer(TimerId(GridTimer::Repaint));
    m_repaintTimerDue = -1;
    if (!HasWindow())
        return;
    std::int64_t next = -1;
    auto refresh = [&](int rowType, int first) {
        const int last = m_layout->GetLastVisibleIndex(rowType);
        for (int position = std::max(first, 0); position <= last; ++position) {
            CGridItem* row = m_rows->GetRowAt(position, rowType);
            if (!row)
                break;
            row->RefreshDueRepaints();
            const std::int64_t time = row->GetNextRepaintTime();
            if (time >= 0 && (next < 0 || time < next))
                next = time;
        }
    };
    refresh(ROW_FIXED, 0);
    if (m_layout->GetTopRow() >= 0)
        refresh(ROW_NORMAL, m_layout->GetTopRow());
    // Due times still scheduled lie in the future; at least 1 ms keeps this from recursing.
    if (next >= 0)
        ArmRepaintTimer(std::max<std::int64_t>(next - GetGridTime(), 1));
}

void CGridImpl::OnKeyDown(UINT virtualKey)
{
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const bool control = GetKeyState(VK_CONTROL) < 0;
    if (shift || control)
        return;
    const char character = CGridSelection::CharFromVirtualKey(virtualKey);
    if (character == 0)
        return;
    GridKeyCommand command;
    command.kind = GridKeyCommand::TypeAhead;
    command.character = character;
    ProcessKeyCommand(command);
}

void CGridImpl::OnLButtonDown(UINT flags, CPoint point)
{
    m_grid.SetCapture();
    if (CWnd::GetFocus() != &m_grid)
        m_grid.CWnd::SetFocus();
    if (m_layout->OnExpandButtonPress(point))
        return;
    m_selection->OnLButtonDown(flags, point, true);
}

CFont* CGridImpl::GetFont()
{
    const std::uint32_t windowThread = GetWindowThreadId();
    if (!HasWindow()) {
        // Before the window exists only a restored font can be pending; after it is gone the
        // neutral answer is "none".
        return windowThread == 0 ? m_ownFont.get() : nullptr;
    }
    if (windowThread != GetCurrentThreadId())
        return reinterpret_cast<CFont*>(SendMessage(&m_grid, WM_GETFONT, 0, 0));
    return m_grid.CWnd::GetFont();
}

// ---- Owner notifications ----------------------------------------------------------------------

CWnd* CGridImpl::FindNotifyReceiver() const
{
    if (!m_options.notificationsEnabled || !HasWindow())
        return nullptr;
    CWnd* receiver = m_grid.GetOwner();
    if (!receiver)
        receiver = m_grid.GetParent();
    return receiver && IsWindow(receiver) ? receiver : nullptr;
}

void CGridImpl::SendNotify(NMHDR& header)
{
    CWnd* receiver = FindNotifyReceiver();
    if (!receiver)
        return;
    header.hwndFrom = &m_grid;
    header.idFrom = m_grid.GetDlgCtrlID();
    SendMessage(receiver, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

void CGridImpl::NotifyRow(int code, CGridItem* row)
{
    if (code == GN_ROWREMOVED || code == GN_ROWDETACHED)
        EachService([&](IGridService& service) { service.OnRowLeaving(row, code == GN_ROWREMOVED); });
    if (!m_options.notificationsEnabled || !row || row->IsRoot())
        return;
    CItemContainer* container = row->GetContainer();
    if (!container || container->IsPool())
        return;
    // Every change of a live row is announced: without a window to hear it, the payload (the
    // row's position above all) is not worth working out.
    if (!FindNotifyReceiver())
        return;
    NMGRIDROW payload;
    payload.hdr.code = static_cast<UINT>(code);
    payload.code = static_cast<UINT>(code);
    payload.grid = &m_grid;
    payload.row = row;
    payload.object = row->GetDataObject();
    payload.rowType = container->GetKind();
    payload.position = row->IsVisible() ? m_rows->GetVisibleIndex(row) : -1;
    std::uint32_t state = GRS_IN_GRID;
    if (row->IsSelected())
        state |= GRS_SELECTED;
    if (payload.position >= 0 && m_selection->GetFocus() == RowPosition{payload.position, payload.rowType})
        state |= GRS_FOCUSED;
    if (row->IsVisible())
        state |= GRS_VISIBLE;
    if (row->IsExpanded())
        state |= GRS_EXPANDED;
    if (m_rows->IsHiddenByFilter(row))
        state |= GRS_FILTERED;
    payload.rowState = state;
    SendNotify(payload.hdr);
}

void CGridImpl::NotifyEdit(NMGRIDEDIT& payload)
{
    SendNotify(payload.hdr);
}

void CGridImpl::NotifyColumn(int code, CColumn* column)
{
    NotifyColumn(code, column, nullptr, 0);
}

void CGridImpl::NotifyColumn(int code, CColumn* column, void* pointerArgument, int integerArgument)
{
    NMGRIDCOLUMN payload;
    payload.hdr.code = static_cast<UINT>(code);
    payload.code = static_cast<UINT>(code);
    payload.grid = &m_grid;
    payload.column = column;
    payload.pointerArgument = pointerArgument;
    payload.integerArgument = integerArgument;
    SendNotify(payload.hdr);
}

// ---- IGridRowsOwner -------------------------------------------------------------------------

CGrid* CGridImpl::GetGrid() const
{
    return HasWindow() ? &m_grid : nullptr;
}

// Rows ask for these as their data change and their highlight fades: paced to one hand-over
// per frame however many changes arrive in it, and placed on screen only then (most rows of a
// large grid are not on screen, which is cheap to see once a frame and dear once a change).
void CGridImpl::RepaintRow(CGridItem* row)
{
    if (HasWindow())
        m_repaintPacer->AddRow(row, CRepaintPacer::kWholeRow);
}

void CGridImpl::RepaintCell(CGridItem* row, int fieldId)
{
    if (HasWindow())
        m_repaintPacer->AddRow(row, fieldId);
}

void CGridImpl::RepaintPositions(int rowType, int first, int last)
{
    if (HasWindow())
        m_repaintPacer->AddPositions(rowType, first, last);
}

void CGridImpl::RepaintAll()
{
    Invalidate();
}

RowPosition CGridImpl::GetFocus() const
{
    return m_selection->GetFocus();
}

void CGridImpl::SetFocus(RowPosition focus)
{
    m_selection->StoreFocus(focus);
}

void CGridImpl::ClearFocus()
{
    m_selection->StoreFocus(RowPosition{});
}

void CGridImpl::OnRowChanged(CGridItem* row, int fieldId)
{
    EachService([&](IGridService& service) { service.OnCellChanged(row, fieldId); });
}

int CGridImpl::GetTopRow() const
{
    return m_layout->GetTopRow();
}

void CGridImpl::SetTopRow(int index)
{
    m_layout->StoreTopRow(index);
}

void CGridImpl::OnRowsEntered(int rowType, int position, int count)
{
    m_layout->OnRowsEntered(rowType, position, count);
}

void CGridImpl::OnRowsLeft(int rowType, int position, int count)
{
    m_layout->OnRowsLeft(rowType, position, count);
}

void CGridImpl::StartLayoutTimer()
{
    // Without a window the layout is computed when the window is created.
    if (!HasWindow() || m_state == WindowState::Destroying)
        return;
    const bool running = m_layoutDue >= 0;
    m_layoutDue = static_cast<std::int64_t>(GetTickCount64()) + kLayoutDelayMs;
    if (!running)
        m_grid.SetTimer(TimerId(GridTimer::DeferredLayout), kLayoutDelayMs);
}

void CGridImpl::OnDeferredLayoutTimer()
{
    const UINT_PTR id = TimerId(GridTimer::DeferredLayout);
    // Insertions since the timer was armed moved the due time: wait for what is left of it.
    const std::int64_t left = m_layoutDue - static_cast<std::int64_t>(GetTickCount64());
    if (m_layoutDue >= 0 && left > 0) {
        m_grid.SetTimer(id, static_cast<UINT>(left));
        return;
    }
    m_grid.KillTimer(id);
    m_layoutDue = -1;
    m_layout->UpdateLayout();
}

void CGridImpl::PostDeferredLayout()
{
    if (HasWindow() && m_state != WindowState::Destroying &&
        PostMessage(&m_grid, CGrid::GetSyncMessage(),
                    static_cast<WPARAM>(GridOperation::DeferredUpdateLayout), 0))
        return;
    // The rows wait for this request before they post another one: answer it at creation.
    m_deferredLayoutOwed = true;
}

void CGridImpl::UpdateLayout()
{
    m_layout->UpdateLayout();
}

IGridRowsOwner::SelectionMode CGridImpl::GetSelectionMode() const
{
    return m_selection->GetSelectionMode();
}

std::vector<CSortInfo> CGridImpl::GetHeaderSortLevels() const
{
    std::vector<CSortInfo> levels;
    if (CHeader* header = m_options.header) {
        const int count = header->GetSortCount();
        for (int level = 0; level < count; ++level)
            levels.push_back(header->GetSort(level));
    }
    return levels;
}

// ---- IGridLayoutHost ------------------------------------------------------------------------

bool CGridImpl::CanScrollPixels() const
{
    // Moved pixels would carry the background picture along with the rows.
    return !m_backgroundImage.IsSet();
}

void CGridImpl::FlushPendingRepaints()
{
    m_repaintPacer->Flush();
}

void CGridImpl::HideTransients()
{
    EachService([&](IGridService& service) { service.HideTransients(); });
}

bool CGridImpl::IsEditing() const
{
    return std::any_of(m_services.begin(), m_services.end(),
                       [](const IGridService* service) { return service->IsEditing(); });
}

void CGridImpl::OnViewScrolled()
{
    EachService([&](IGridService& service) { service.OnViewScrolled(); });
}

// ---- Services -------------------------------------------------------------------------------

void CGridImpl::AddService(IGridService* service)
{
    if (service && std::find(m_services.begin(), m_services.end(), service) == m_services.end())
        m_services.push_back(service);
}

void CGridImpl::RemoveService(IGridService* service)
{
    std::erase(m_services, service);
}

// ---- Header listener ----------------------------------------------------------------------

void CGridImpl::OnHeaderChanged(CHeader* header, CColumn* column, int code)
{
    using Record = GridCallOf<GridOperation::HeaderChanged>::Record;
    Record record{{header, column, code}, {}};
    Deliver(GridOperation::HeaderChanged, &record, &record.fromOtherThread);
}

void CGridImpl::OnHeaderChange(CHeader* header, CColumn* column, int code)
{
    if (header == nullptr || header != m_options.header)
        return;
    switch (code) {
    case CHeader::HeaderColumnAdded:
        NotifyColumn(GN_COLUMNADDED, column);
        m_layout->UpdateLayout();
        break;
    case CHeader::HeaderColumnRemoved:
        NotifyColumn(GN_COLUMNREMOVED, column);
        m_layout->UpdateLayout();
        break;
    case CHeader::HeaderColumnResized:
        NotifyColumn(GN_COLUMNRESIZED, column);
        // Dragging a border resizes many times a second: one layout and repaint after it.
        if (HasWindow())
            m_grid.SetTimer(TimerId(GridTimer::HeaderLayout), kLayoutDelayMs);
        return;
    case CHeader::HeaderColumnChanged:
    case 8:
    case CHeader::HeaderImageListChanged:
        NotifyColumn(GN_COLUMNCHANGED, column);
        break;
    case CHeader::HeaderColumnVisibility:
        NotifyColumn(GN_COLUMNCHANGED, column);
        m_layout->UpdateLayout();
        break;
    case CHeader::HeaderColumnMoved:
        NotifyColumn(GN_COLUMNMOVED, column);
        m_layout->UpdateLayout();
        break;
    case CHeader::HeaderFixedColumnsChanged:
        break;
    case CHeader::HeaderSortChanged:
        NotifyColumn(GN_SORTCHANGED, column);
        if (m_applySortChanges)
            m_rows->Resort();
        return;
    case CHeader::HeaderHeightChanged:
        m_layout->UpdateLayout();
        break;
    case CHeader::HeaderFontChanged:
        NotifyColumn(GN_COLUMNCHANGED, column);
        header->SetHeight(MeasureHeaderHeight());
        m_layout->UpdateLayout();
        break;
    default:
        return;
    }
    Invalidate();
}

} // namespace Ombrel::GUI
