#include "TableView.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <mutex>
#include <span>

#include "TableShape.h"
#include "ViewerCommands.h"

#include "ombrel/gui/dialogs/HeaderConfigurationDlg.h"
#include "ombrel/common/DynamicObject.h"
#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/grid/GridNotifications.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/header/SortInfo.h"
#include "ombrel/gui/grid/GridSettingsRecords.h"
#include "ombrel/gui/paint/PaintFlags.h"
#include "ombrel/gui/print/PrintJob.h"
#include "ombrel/gui/print/PrintSettings.h"

namespace Ombrel::Viewer {

namespace {

// Posted by the loader's worker to the view.
constexpr UINT kColumnsReadyMessage = WM_APP + 1;
constexpr UINT kProgressMessage = WM_APP + 2;
constexpr UINT kFinishedMessage = WM_APP + 3;
constexpr UINT kRowsMessage = WM_APP + 4;
constexpr UINT kRestartMessage = WM_APP + 5;
// When the window thread falls behind the reader, rows pile up; adding them all at once kept
// the window from answering for seconds at a million rows. One rows message adds at most this
// many (tens of milliseconds on an idle machine), then lets the queued messages run.
constexpr std::size_t kRowsPerBurst = 8192;

// The grid makes room for the rows of the whole file once this much of it has been read, from
// the rows per byte so far: enough to count rows well, early enough that the grid's tables
// have not yet grown through their large sizes.
constexpr std::uint64_t kBytesForRowEstimate = 1 << 20;
// The room made is this much more than the estimate (an eighth): the rows of the block read
// last are not counted yet, so the rows per byte err low by up to a few percent, and a table
// sized just short of the file's rows would double at the end.
constexpr double kRowEstimateMargin = 1.125;

constexpr int kCharacterWidth = 8;  // a rough average, for the first column widths
constexpr int kTitleRoom = 40;      // margins and the sort mark with its level number

struct ColumnInfo
{
    std::string name;
    ColumnKind kind;
};

// Wide enough for a column's title with its sort mark.
int TitleWidth(const std::string& title)
{
    return static_cast<int>(title.size()) * kCharacterWidth + kTitleRoom;
}

// Wide enough for the title and for a typical value of the column's kind.
int InitialWidth(const ColumnInfo& column)
{
    const int title = TitleWidth(column.name);
    int content = 160;
    switch (column.kind) {
    case ColumnKind::Bool: content = 50; break;
    case ColumnKind::Integer:
    case ColumnKind::Double: content = 80; break;
    case ColumnKind::Date: content = 90; break;
    case ColumnKind::DateTime: content = 150; break;
    case ColumnKind::Text: break;
    }
    return std::max(title, content);
}

// The view listens to the grid's sort and column notifications, never to the one the grid
// sends per row added or removed. Rows therefore come and go with notifications off: a
// message to this window per row was more than a quarter of the window thread's work in a
// load.
class CRowNotificationsOff
{
public:
    explicit CRowNotificationsOff(GUI::CGrid& grid) : m_grid(grid), m_wereOn(grid.AreNotificationsEnabled())
    {
        m_grid.EnableNotifications(false);
    }
    CRowNotificationsOff(const CRowNotificationsOff&) = delete;
    CRowNotificationsOff& operator=(const CRowNotificationsOff&) = delete;
    ~CRowNotificationsOff() { m_grid.EnableNotifications(m_wereOn); }

private:
    GUI::CGrid& m_grid;
    const bool m_wereOn;
};

// The rows to make room for: those of the whole file at the rows per byte read so far, with a
// margin; 0 until enough is read to tell. A file whose first megabyte is not like the rest
// costs one more growth of the grid's tables at worst, as without the estimate.
std::uint64_t EstimateRowCount(const TableLoadProgress& progress)
{
    if (progress.phase == TableLoadProgress::Phase::Scanning || progress.fileBytes == 0 ||
        progress.bytesRead < std::min(kBytesForRowEstimate, progress.fileBytes) || progress.rows == 0)
        return 0;
    const double perByte = static_cast<double>(progress.rows) / static_cast<double>(progress.bytesRead);
    return static_cast<std::uint64_t>(perByte * static_cast<double>(progress.fileBytes) * kRowEstimateMargin);
}

std::string WithThousands(std::uint64_t value)
{
    std::string digits = std::to_string(value);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), " ");
    return digits;
}

} // namespace

struct CTableView::Impl
{
    // Declared before the grid so that they are destroyed after it.
    std::vector<std::unique_ptr<Common::CDynamicObject>> objects;
    // Objects of a load that starts again, shown until the window thread has removed their
    // rows. Guarded by `lock`, like everything the worker touches.
    std::vector<std::unique_ptr<Common::CDynamicObject>> discarded;
    GUI::CGrid grid;
    CTableLoader loader;
    std::string path;
    std::vector<std::string> sortColumns;
    std::vector<std::string> sortProblems;
    bool columnsFitted = false;  // to the first batch of rows
    bool rowsReserved = false;   // the grid has made room for the file's estimated rows
    // The rows of pendingRows as the window thread took them (by swapping the two, once the
    // ones taken before are all added), added burst by burst from `nextTakenRow` on. Window
    // thread only. Reading on from an index keeps a backlog of a million rows from being moved
    // up by a burst's worth at every burst.
    std::vector<Common::CDataObject*> takenRows;
    std::size_t nextTakenRow = 0;

    // Shared with the loader's worker; everything below is guarded by `lock`.
    mutable std::mutex lock;
    std::vector<ColumnInfo> columns;
    TableLoadProgress progress;
    std::optional<TableLoadSummary> summary;
    // Objects of batches the window thread has not taken yet; it takes them all at once.
    std::vector<Common::CDataObject*> pendingRows;
    bool restarting = false;  // new rows wait in pendingRows until `discarded` is gone
    std::atomic<bool> rowsPosted = false;
    std::atomic<bool> progressPosted = false;
    std::atomic<bool> finished = false;
    std::atomic<bool> loading = false;
};

CTableView::CTableView() : m_impl(std::make_unique<Impl>()) {}

CTableView::~CTableView()
{
    if (IsWindow(this))
        DestroyWindow();
}

GUI::CGrid& CTableView::GetGrid() const { return m_impl->grid; }

int CTableView::OnCreate(CREATESTRUCT* cs)
{
    if (CWnd::OnCreate(cs) == -1)
        return -1;
    GUI::CGrid& grid = m_impl->grid;
    if (!grid.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, GetClientRect(), this, kGridId))
        return -1;
    grid.SetHeader(new GUI::CHeader(true));
    // The file is the source of truth: rows may be dragged out (as text, or as rows into
    // another grid) but nothing is dropped in, not even a move within the sorted table.
    GUI::DropSettings drops = *grid.GetDropSettings();
    drops.acceptIntoFixedRows = false;
    drops.acceptIntoNormalRows = false;
    drops.moveWithinGrid = false;
    grid.SetDropSettings(drops);
    // A table is flat: no room for expand buttons before the first column.
    grid.SetPaintOptions(grid.GetPaintOptions() & ~static_cast<std::uint32_t>(GUI::PaintTreeIndent));
    // Clicking a column header sorts by it; Ctrl+click adds a level.
    grid.SetMultiSortEnabled(true);
    return 0;
}

void CTableView::OnDestroy()
{
    // The worker goes first: it posts rows for objects that this view owns.
    m_impl->loader.Cancel();
    m_impl->loader.Wait();
    if (IsWindow(&m_impl->grid)) {
        const CRowNotificationsOff quiet(m_impl->grid);
        m_impl->grid.RemoveAll(GUI::ROW_ALL_TYPES);
    }
    CWnd::OnDestroy();
}

void CTableView::OnSize(UINT type, int cx, int cy)
{
    CWnd::OnSize(type, cx, cy);
    if (IsWindow(&m_impl->grid))
        m_impl->grid.MoveWindow(0, 0, cx, cy, true);
}

bool CTableView::OnCmdMsg(UINT id, int code)
{
    switch (id) {
    case ID_EDIT_COPY:
        m_impl->grid.Copy();
        return true;
    case ID_EDIT_SELECT_ALL:
        m_impl->grid.SelectAll();
        return true;
    case ID_FILE_CANCEL_LOAD:
        CancelLoad();
        return true;
    case ID_VIEW_COLUMNS: {
        // Which columns show, their order and how many stay fixed while the others scroll.
        GUI::CHeaderConfigurationDlg dialog(m_impl->grid.GetHeader(), this);
        dialog.DoModal();
        return true;
    }
    case ID_FILE_PRINT_PREVIEW:
        m_impl->grid.PrintPreview(GUI::PrintSettings{});
        return true;
    case ID_FILE_PRINT: {
        GUI::PrintJob job;
        job.showPrintDialog = true;  // the printer and the pages, then a progress dialog
        m_impl->grid.Print(GUI::PrintSettings{}, job);
        return true;
    }
    default:
        return CWnd::OnCmdMsg(id, code);
    }
}

LRESULT CTableView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case kColumnsReadyMessage:
        OnColumnsReady();
        return 0;
    case kProgressMessage:
        OnProgress();
        return 0;
    case kFinishedMessage:
        OnFinished();
        return 0;
    case kRowsMessage:
        OnRows();
        return 0;
    case kRestartMessage:
        OnRestart();
        return 0;
    case WM_NOTIFY:
        switch (reinterpret_cast<const NMHDR*>(lParam)->code) {
        case GUI::GN_SORTCHANGED:
        case GUI::GN_COLUMNADDED:
        case GUI::GN_COLUMNREMOVED:
        case GUI::GN_COLUMNMOVED:
        case GUI::GN_COLUMNCHANGED:  // a column hidden or shown moves the others
            SearchTheSortedColumn();
            break;
        default:
            break;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}

bool CTableView::Load(const std::string& path, std::vector<std::string> sortColumns)
{
    Impl& impl = *m_impl;
    if (!IsWindow(this) || impl.loading.load())
        return false;
    impl.path = path;
    impl.sortColumns = std::move(sortColumns);
    impl.finished = false;
    impl.loading = true;
    impl.rowsReserved = false;

    CTableLoader::Callbacks callbacks;
    callbacks.columns = [this](const CTableShape& shape, const auto&) {
        {
            std::lock_guard guard(m_impl->lock);
            for (const CTableShape::Column& column : shape.GetColumns())
                m_impl->columns.push_back({column.name, column.guess.GetKind()});
        }
        PostMessage(kColumnsReadyMessage);
    };
    callbacks.progress = [this](const TableLoadProgress& progress) {
        {
            std::lock_guard guard(m_impl->lock);
            m_impl->progress = progress;
        }
        if (!m_impl->progressPosted.exchange(true))
            PostMessage(kProgressMessage);
    };
    callbacks.batch = [this](CTableRowBuilder::Objects& batch) {
        {
            std::lock_guard guard(m_impl->lock);
            for (auto& object : batch) {
                m_impl->pendingRows.push_back(object.get());
                m_impl->objects.push_back(std::move(object));
            }
        }
        // One message for as many batches as arrive before the window thread gets to it; false
        // once the window is gone, which stops the load.
        return m_impl->rowsPosted.exchange(true) || PostMessage(kRowsMessage);
    };
    callbacks.restart = [this] {
        {
            std::lock_guard guard(m_impl->lock);
            for (auto& object : m_impl->objects)
                m_impl->discarded.push_back(std::move(object));
            m_impl->objects.clear();
            m_impl->pendingRows.clear();
            m_impl->columns.clear();
            m_impl->restarting = true;
        }
        PostMessage(kRestartMessage);
    };
    callbacks.finished = [this](const TableLoadSummary& summary) {
        {
            std::lock_guard guard(m_impl->lock);
            m_impl->summary = summary;
        }
        // Behind the last rows message; OnFinished waits for any rows still left after it.
        PostMessage(kFinishedMessage);
    };
    ShowStatus();
    return impl.loader.Start(path, std::move(callbacks));
}

void CTableView::CancelLoad() { m_impl->loader.Cancel(); }

bool CTableView::IsLoadFinished() const { return m_impl->finished.load(); }

std::optional<TableLoadSummary> CTableView::GetSummary() const
{
    std::lock_guard guard(m_impl->lock);
    return m_impl->summary;
}

std::size_t CTableView::GetColumnCount() const
{
    std::lock_guard guard(m_impl->lock);
    return m_impl->columns.size();
}

void CTableView::OnColumnsReady()
{
    Impl& impl = *m_impl;
    std::vector<ColumnInfo> columns;
    {
        std::lock_guard guard(impl.lock);
        columns = impl.columns;
    }
    impl.sortProblems.clear();
    auto* header = new GUI::CHeader(true);  // the grid deletes it
    for (std::size_t index = 0; index < columns.size(); ++index) {
        auto* column = new GUI::CColumn(static_cast<std::int32_t>(index) + 1, columns[index].name.c_str(),
                                        InitialWidth(columns[index]), GUI::CColumn::AlignAuto, false);
        if (!header->AddColumn(column))
            delete column;
    }
    // The grid returns the empty header it had since its creation; this view made it.
    delete impl.grid.SetHeader(header);

    int level = 0;
    for (const std::string& wanted : impl.sortColumns) {
        const bool descending = wanted.front() == '-';
        const std::string name = descending ? wanted.substr(1) : wanted;
        auto found = std::find_if(columns.begin(), columns.end(),
                                  [&name](const ColumnInfo& column) { return column.name == name; });
        if (found == columns.end()) {
            impl.sortProblems.push_back("no column named \"" + name + "\" to sort by");
            continue;
        }
        const auto id = static_cast<std::int32_t>(found - columns.begin()) + 1;
        impl.grid.SetSortInfo(level++, GUI::CSortInfo(id, descending));
    }
    SearchTheSortedColumn();
    ShowStatus();
}

void CTableView::SearchTheSortedColumn()
{
    GUI::CHeader* header = m_impl->grid.GetHeader();
    if (header == nullptr)
        return;
    const int sorted = header->GetVisibleColumnIndex(m_impl->grid.GetSortInfo(0).GetFieldId());
    header->SetSearchColumn(sorted >= 0 ? sorted : 0);
}

void CTableView::OnRows()
{
    Impl& impl = *m_impl;
    bool more = false;
    std::uint64_t expectedRows = 0;
    {
        std::lock_guard guard(impl.lock);
        if (impl.restarting)
            return;  // OnRestart takes them once the rows of the dropped objects are gone
        if (!impl.rowsReserved)
            expectedRows = EstimateRowCount(impl.progress);
        if (impl.nextTakenRow == impl.takenRows.size()) {
            impl.takenRows.clear();
            impl.nextTakenRow = 0;
            impl.takenRows.swap(impl.pendingRows);
        }
        more = impl.takenRows.size() - impl.nextTakenRow > kRowsPerBurst || !impl.pendingRows.empty();
        // While rows remain after this burst, this message is the one posted for them.
        impl.rowsPosted = more;
    }
    if (expectedRows > 0)
        ReserveRowsFor(expectedRows);
    const std::size_t count = std::min(impl.takenRows.size() - impl.nextTakenRow, kRowsPerBurst);
    const std::span<Common::CDataObject* const> burst(impl.takenRows.data() + impl.nextTakenRow, count);
    impl.nextTakenRow += count;
    {
        // One sorted burst: keys read once, sorted once, shown as one block.
        const CRowNotificationsOff quiet(impl.grid);
        impl.grid.AddMany(burst, GUI::GRID_ROOT, GUI::GRID_LAST);
    }
    FitColumns();
    // The rest after the messages queued meanwhile: input and painting are never held up by
    // more than one burst.
    if (more)
        PostMessage(kRowsMessage);
}

void CTableView::ReserveRowsFor(std::uint64_t expectedRows)
{
    Impl& impl = *m_impl;
    impl.rowsReserved = true;
    const auto present = static_cast<std::uint64_t>(impl.grid.GetRowCount(GUI::ROW_NORMAL));
    if (expectedRows > present)
        impl.grid.ReserveRows(expectedRows - present);
}

void CTableView::OnRestart()
{
    Impl& impl = *m_impl;
    {
        const CRowNotificationsOff quiet(impl.grid);
        impl.grid.RemoveAll(GUI::ROW_ALL_TYPES);
    }
    std::vector<std::unique_ptr<Common::CDynamicObject>> discarded;
    {
        std::lock_guard guard(impl.lock);
        discarded.swap(impl.discarded);
        impl.restarting = false;
    }
    discarded.clear();  // no row shows them any more
    impl.takenRows.clear();  // objects of the dropped read, never added
    impl.nextTakenRow = 0;
    impl.columnsFitted = false;
    impl.rowsReserved = false;  // the rows of the second read are reserved for again
    OnRows();
}

void CTableView::OnProgress()
{
    m_impl->progressPosted = false;
    FitColumns();
    ShowStatus();
}

void CTableView::OnFinished()
{
    {
        std::lock_guard guard(m_impl->lock);
        // Rows still wait for their bursts: their rows message is queued ahead of this one now.
        if (!m_impl->pendingRows.empty() || m_impl->nextTakenRow < m_impl->takenRows.size()) {
            PostMessage(kFinishedMessage);
            return;
        }
    }
    m_impl->loading = false;
    m_impl->finished = true;
    FitColumns();
    ShowStatus();
    ReleaseLoadMemory();
}

void CTableView::ReleaseLoadMemory()
{
    Impl& impl = *m_impl;
    impl.takenRows = {};
    impl.nextTakenRow = 0;
    {
        std::lock_guard guard(impl.lock);
        impl.pendingRows = {};
    }
#if defined(__GLIBC__)
    // The load freed far more than it keeps: the reader's blocks and first rows as text, the
    // sort's buffers, the bursts' lists, tables left behind as they doubled. The allocator keeps
    // freed pages resident until asked; a table of a million rows leaves megabytes of them.
    malloc_trim(0);
#endif
}

void CTableView::FitColumns()
{
    Impl& impl = *m_impl;
    // The first batch gives widths while a long file is still read; at the end the columns
    // widen to what the whole file needs (measured on an even sample), never narrow.
    const int rows = impl.grid.GetRowCount(GUI::ROW_NORMAL);
    const bool firstBatch = !impl.columnsFitted && rows >= static_cast<int>(CTableRowBuilder::kBatchSize);
    const bool end = impl.finished.load() && rows > 0;
    if (!firstBatch && !end)
        return;
    GUI::CHeader* header = impl.grid.GetHeader();
    for (int position = 0; header != nullptr && position < header->GetColumnCount(); ++position) {
        GUI::CColumn* column = header->GetColumn(position);
        const int fitted = std::max(impl.grid.GetOptimalWidth(column->GetFieldId()), TitleWidth(column->GetTitle()));
        column->SetWidth(impl.columnsFitted ? std::max(fitted, column->GetWidth()) : fitted);
    }
    impl.columnsFitted = true;
}

std::string CTableView::DescribeStatus() const
{
    const Impl& impl = *m_impl;
    std::lock_guard guard(impl.lock);
    const std::string file = std::filesystem::path(impl.path).filename().string();
    if (!impl.finished.load()) {
        const bool scanning = impl.progress.phase == TableLoadProgress::Phase::Scanning;
        return "Reading " + file + ": " + std::to_string(impl.progress.Percent()) + " %" +
               (scanning ? ", finding the columns" : ", " + WithThousands(impl.progress.rows) + " rows") +
               " (Esc cancels)";
    }
    const TableLoadSummary& summary = *impl.summary;
    const TableReadResult& result = summary.result;
    std::string text = file + ": " + WithThousands(result.rows) + " rows, " + std::to_string(impl.columns.size()) +
                       " columns";
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.2f", std::chrono::duration<double>(summary.elapsed).count());
    if (result.outcome == TableReadResult::Outcome::Failed)
        text += ". Stopped at an error: " + result.error.Describe();
    else if (result.outcome == TableReadResult::Outcome::Cancelled)
        text += ". Cancelled: the rest of the file is not shown";
    else
        text += std::string(" in ") + seconds + " s";
    if (!summary.warnings.empty())
        text += ". " + summary.warnings.front().Describe() +
                (summary.warnings.size() > 1 ? " (and " + std::to_string(summary.warnings.size() - 1) + " more)" : "");
    for (const std::string& problem : impl.sortProblems)
        text += ". " + problem;
    return text + ".";
}

void CTableView::ShowStatus()
{
    if (auto* frame = dynamic_cast<CFrameWnd*>(GetParent()))
        frame->SetStatusText(DescribeStatus().c_str());
}

} // namespace Ombrel::Viewer
