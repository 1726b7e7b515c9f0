// CHeader: the column model of the grid.
//
// Sections: the implementation state and its two rebuilds (RecalcColumns, RecalcLayout);
// column membership; visibility and fixed columns; moving; lookups; geometry and
// hit-testing; sort levels; font, image list and listeners; store and restore.
//
// Flow of a change: an operation takes the state lock, changes the lists, rebuilds the
// derived maps, releases the lock and raises its event. A column's own event (width,
// visibility) arrives in Impl::OnColumnChanged, which rebuilds and raises under the lock.
#include "ombrel/gui/header/Header.h"

#include "ombrel/base/Archive.h"
#include "ombrel/base/CriticalSection.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/platform/Wnd.h"

#include <algorithm>
#include <limits>
#include <map>
#include <unordered_map>
#include <utility>
#include <vector>

namespace Ombrel::GUI {

IMPLEMENT_SERIAL(CHeader, CObject, 1)

namespace {

constexpr std::int32_t kHeaderVersion = 1;
constexpr std::int32_t kAllFieldsId = -1;
constexpr std::int32_t kNoFieldId = -2;

bool IsReservedFieldId(std::int32_t fieldId)
{
    return fieldId == kAllFieldsId || fieldId == kNoFieldId;
}

// Sums of column widths are kept in 64 bits while they are built and saturated to the
// 32-bit pixel range: restored widths are not checked, and an overflowing sum must not
// wrap into a wrong layout.
std::int32_t Saturate(std::int64_t value)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// The horizontal scroll position of the window that shows the header.
bool ReadHorizontalScrollPosition(CWnd* window, int& position)
{
    if (!window) {
        return false;
    }
    SCROLLINFO info;
    info.fMask = SIF_POS;
    if (!window->GetScrollInfo(SB_HORZ, &info, SIF_POS)) {
        return false;
    }
    position = info.nPos;
    return true;
}

struct ColumnGeometry
{
    int visibleIndex = -1;
    CRect rect; // left: sum of the widths before it; bottom: the height at layout time
};

} // namespace

struct CHeader::Impl final : CColumn::INotify
{
    explicit Impl(CHeader* header, bool autoDeleteFlag) : owner(header), autoDelete(autoDeleteFlag)
    {
    }

    CHeader* const owner;
    const bool autoDelete;

    mutable CCriticalSection stateLock; // recursive; guards everything below up to `focus`
    std::vector<CColumn*> columns;      // all columns, owned, in display order
    std::unordered_map<std::int32_t, CColumn*> byId;

    // Derived from `columns` by RecalcColumns.
    std::vector<CColumn*> visible; // visible subset, same order
    std::unordered_map<std::int32_t, CColumn*> visibleById;
    std::unordered_map<std::int32_t, int> positionById;

    // Derived from `visible` by RecalcLayout.
    std::map<std::int32_t, CColumn*> byRightEdge; // right edge x -> column, widths above 0
    std::unordered_map<std::int32_t, ColumnGeometry> geometryById;
    std::int32_t fixedWidth = 0;      // widths of the first fixedCount visible columns
    std::int32_t scrollableWidth = 0; // widths of the other visible columns

    int fixedCount = 0;
    std::int32_t height = kDefaultHeight;
    std::vector<CSortInfo> sortLevels; // at most kMaxSortLevels
    bool sortEnabled = true;
    bool multiSortEnabled = true;
    bool canMoveFixed = true;
    bool canMoveScrollable = true;
    bool reservedFlag = true;
    int searchColumn = 0; // visible index
    CFont* font = nullptr;
    CImageList* imageList = nullptr;
    CColumn* focus = nullptr;

    mutable CCriticalSection listenerLock; // recursive; guards listeners
    std::vector<CHeader::INotify*> listeners;

    void RecalcColumns()
    {
        visible.clear();
        visibleById.clear();
        positionById.clear();
        for (std::size_t i = 0; i < columns.size(); ++i) {
            CColumn* column = columns[i];
            const std::int32_t fieldId = column->GetFieldId();
            positionById[fieldId] = static_cast<int>(i);
            if (column->IsVisible()) {
                visible.push_back(column);
                visibleById[fieldId] = column;
            }
        }
        RecalcLayout();
    }

    void RecalcLayout()
    {
        byRightEdge.clear();
        geometryById.clear();
        std::int64_t x = 0;
        std::int64_t fixed = 0;
        std::int64_t scrollable = 0;
        for (std::size_t v = 0; v < visible.size(); ++v) {
            CColumn* column = visible[v];
            const std::int64_t width = std::max<std::int32_t>(column->GetWidth(), 0);
            ColumnGeometry geometry;
            geometry.visibleIndex = static_cast<int>(v);
            geometry.rect = CRect(Saturate(x), 0, Saturate(x + width), height);
            geometryById[column->GetFieldId()] = geometry;
            if (width > 0) {
                x += width;
                byRightEdge[Saturate(x)] = column;
            }
            (static_cast<int>(v) < fixedCount ? fixed : scrollable) += width;
        }
        fixedWidth = Saturate(fixed);
        scrollableWidth = Saturate(scrollable);
    }

    CColumn* Find(const std::unordered_map<std::int32_t, CColumn*>& map, std::int32_t id) const
    {
        const auto found = map.find(id);
        return found == map.end() ? nullptr : found->second;
    }

    int VisibleIndex(std::int32_t fieldId) const
    {
        const auto found = geometryById.find(fieldId);
        return found == geometryById.end() ? -1 : found->second.visibleIndex;
    }

    // True when moving a column at this visible index is allowed by the move flags; a
    // hidden column (-1) always passes.
    bool MayMoveVisibleIndex(int visibleIndex) const
    {
        if (visibleIndex < 0) {
            return true;
        }
        return visibleIndex < fixedCount ? canMoveFixed : canMoveScrollable;
    }

    void Raise(CColumn* column, int code)
    {
        std::vector<CHeader::INotify*> copy;
        {
            CScopedLock guard(listenerLock);
            copy = listeners;
        }
        for (CHeader::INotify* listener : copy) {
            listener->OnHeaderChanged(owner, column, code);
        }
    }

    void OnColumnChanged(CColumn* column, int code) override
    {
        CScopedLock guard(stateLock);
        if (code == CColumn::ColumnWidthChanged) {
            RecalcLayout();
            Raise(column, HeaderColumnResized);
        } else if (code == CColumn::ColumnVisibilityChanged) {
            RecalcColumns();
            Raise(column, HeaderColumnVisibility);
        } else if (code >= 0 && code <= 10) {
            Raise(column, HeaderColumnChanged);
        }
    }
};

CHeader::CHeader(bool autoDelete) : m_impl(std::make_unique<Impl>(this, autoDelete)) {}

CHeader::~CHeader()
{
    RemoveAllColumns();
}

bool CHeader::IsAutoDelete() const { return m_impl->autoDelete; }

// ---- Column membership ---------------------------------------------------------------------

bool CHeader::AddColumn(CColumn* column)
{
    if (!column) {
        return false;
    }
    const std::int32_t fieldId = column->GetFieldId();
    {
        CScopedLock guard(m_impl->stateLock);
        if (IsReservedFieldId(fieldId) || m_impl->byId.count(fieldId) != 0) {
            return false;
        }
        m_impl->columns.push_back(column);
        m_impl->byId[fieldId] = column;
        m_impl->RecalcColumns();
        // Registered before the lock is released, so that no width change goes unseen.
        column->AddNotify(m_impl.get());
    }
    m_impl->Raise(column, HeaderColumnAdded);
    return true;
}

bool CHeader::RemoveColumn(std::int32_t fieldId)
{
    CColumn* column = nullptr;
    {
        CScopedLock guard(m_impl->stateLock);
        column = IsReservedFieldId(fieldId) ? nullptr : m_impl->Find(m_impl->byId, fieldId);
        if (!column) {
            return false;
        }
        if (m_impl->focus == column) {
            m_impl->focus = nullptr;
        }
        auto& columns = m_impl->columns;
        columns.erase(std::find(columns.begin(), columns.end(), column));
        m_impl->byId.erase(fieldId);
        m_impl->RecalcColumns();
        column->RemoveNotify(m_impl.get());
    }
    m_impl->Raise(column, HeaderColumnRemoved);
    delete column;
    return true;
}

void CHeader::RemoveAllColumns()
{
    std::vector<CColumn*> removed;
    {
        CScopedLock guard(m_impl->stateLock);
        removed.swap(m_impl->columns);
        m_impl->focus = nullptr;
        m_impl->byId.clear();
        m_impl->RecalcColumns();
        for (CColumn* column : removed) {
            column->RemoveNotify(m_impl.get());
        }
    }
    for (CColumn* column : removed) {
        m_impl->Raise(column, HeaderColumnRemoved);
        delete column;
    }
}

int CHeader::GetColumnCount() const
{
    CScopedLock guard(m_impl->stateLock);
    return static_cast<int>(m_impl->columns.size());
}

int CHeader::GetVisibleColumnCount() const
{
    CScopedLock guard(m_impl->stateLock);
    return static_cast<int>(m_impl->visible.size());
}

// ---- Visibility and fixed columns ----------------------------------------------------------

void CHeader::SetFixedColumnCount(int count)
{
    {
        CScopedLock guard(m_impl->stateLock);
        if (m_impl->fixedCount == count) {
            return;
        }
        m_impl->fixedCount = count;
        m_impl->RecalcColumns();
    }
    m_impl->Raise(nullptr, HeaderFixedColumnsChanged);
}

int CHeader::GetFixedColumnCount() const
{
    CScopedLock guard(m_impl->stateLock);
    return m_impl->fixedCount;
}

bool CHeader::IsFixedColumn(std::int32_t fieldId) const
{
    CScopedLock guard(m_impl->stateLock);
    const int visibleIndex = GetVisibleColumnIndex(fieldId);
    return visibleIndex >= 0 && visibleIndex < m_impl->fixedCount;
}

bool CHeader::ShowColumn(std::int32_t fieldId)
{
    CColumn* column = nullptr;
    {
        CScopedLock guard(m_impl->stateLock);
        column = m_impl->Find(m_impl->byId, fieldId);
        if (!column) {
            return false;
        }
        if (column->IsVisible()) {
            return true;
        }
        column->SetVisible(true); // raises the first HeaderColumnVisibility
        m_impl->RecalcColumns();
    }
    m_impl->Raise(column, HeaderColumnVisibility);
    return true;
}

bool CHeader::HideColumn(std::int32_t fieldId)
{
    CColumn* column = nullptr;
    {
        CScopedLock guard(m_impl->stateLock);
        column = m_impl->Find(m_impl->byId, fieldId);
        if (!column) {
            return false;
        }
        if (!column->IsVisible()) {
            return true;
        }
        if (m_impl->focus == column) {
            m_impl->focus = nullptr;
        }
        column->SetVisible(false); // raises the first HeaderColumnVisibility
        m_impl->RecalcColumns();
    }
    m_impl->Raise(column, HeaderColumnVisibility);
    return true;
}

bool CHeader::CanMoveFixedColumns() const
{
    CScopedLock guard(m_impl->stateLock);
    return m_impl->canMoveFixed;
}

bool CHeader::CanMoveScrollableColumns() const
{
    CScopedLock guard(m_impl->stateLock);
    return m_impl->canMoveScrollable;
}

bool CHeader::GetReservedFlag() const
{
    CScopedLock guard(m_impl->stateLock);
    return m_impl->reservedFlag;
}

void CHeader::SetCanMoveFixedColumns(bool canMove)
{
    CScopedLock guard(m_impl->stateLock);
    m_impl->canMoveFixed = canMove;
}

void CHeader::SetCanMoveScrollableColumns(bool canMove)
{
    CScopedLock guard(m_impl->stateLock);
    m_impl->canMoveScrollable = canMove;
}

void CHeader::SetReservedFlag(bool flag)
{
    CScopedLock guard(m_impl->stateLock);
    m_impl->reservedFlag = flag;
}

// ---- Moving --------------------------------------------------------------------------------

bool CHeader::MoveColumnBefore(std::int32_t fieldId, std::int32_t targetId)
{
    return MoveColumn(fieldId, targetId, false);
}

bool CHeader::MoveColumnAfter(std::int32_t fieldId, std::int32_t targetId)
{
    return MoveColumn(fieldId, targetId, true);
}

bool CHeader::MoveColumn(std::int32_t fieldId, std::int32_t targetId, bool after)
{
    if (fieldId == targetId) {
        return false;
    }
    CColumn* moved = nullptr;
    {
        CScopedLock guard(m_impl->stateLock);
        const int from = GetColumnIndex(fieldId);
        int to = GetColumnIndex(targetId);
        if (!m_impl->MayMoveVisibleIndex(m_impl->VisibleIndex(fieldId)) ||
            !m_impl->MayMoveVisibleIndex(m_impl->VisibleIndex(targetId)) || from < 0 || to < 0) {
            return false;
        }
        auto& columns = m_impl->columns;
        moved = columns[static_cast<std::size_t>(from)];
        columns.erase(columns.begin() + from);
        if (from < to) {
            --to;
        }
        columns.insert(columns.begin() + to + (after ? 1 : 0), moved);
        m_impl->RecalcColumns();
    }
    m_impl->Raise(moved, HeaderColumnMoved);
    return true;
}

bool CHeader::MoveColumnToPosition(std::int32_t fieldId, int position)
{
    std::int32_t targetId = kNoFieldId;
    bool after = true;
    {
        CScopedLock guard(m_impl->stateLock);
        if (CColumn* target = GetColumn(position)) {
            targetId = target->GetFieldId();
            after = false;
        } else if (position == GetColumnCount() && GetLastColumn()) {
            targetId = GetLastColumn()->GetFieldId();
        }
    }
    return MoveColumn(fieldId, targetId, after);
}

bool CHeader::MoveColumnToVisiblePosition(std::int32_t fieldId, int visibleIndex)
{
    std::int32_t targetId = kNoFieldId;
    bool after = true;
    {
        CScopedLock guard(m_impl->stateLock);
        if (CColumn* target = GetVisibleColumn(visibleIndex)) {
            targetId = target->GetFieldId();
            after = false;
        } else if (visibleIndex == GetVisibleColumnCount() && GetLastVisibleColumn()) {
            targetId = GetLastVisibleColumn()->GetFieldId();
        }
    }
    return MoveColumn(fieldId, targetId, after);
}

// ---- Lookups -------------------------------------------------------------------------------

CColumn* CHeader::GetColumn(int position) const
{
    CScopedLock guard(m_impl->stateLock);
    const auto& columns = m_impl->columns;
    return position >= 0 && position < static_cast<int>(columns.size())
               ? columns[static_cast<std::size_t>(position)]
               : nullptr;
}

CColumn* CHeader::GetVisibleColumn(int visibleIndex) const
{
    CScopedLock guard(m_impl->stateLock);
    const auto& visible = m_impl->visible;
    return visibleIndex >= 0 && visibleIndex < static_cast<int>(visible.size())
               ? visible[static_cast<std::size_t>(visibleIndex)]
               : nullptr;
}

CColumn* CHeader::GetColumnById(std::int32_t fieldId) const
{
    CScopedLock guard(m_impl->stateLock);
    return m_impl->Find(m_impl->byId, fieldId);
}

CColumn* CHeader::GetVisibleColumnById(std::int32_t fieldId) const
{
    CScopedLock guard(m_impl->stateLock);
    return m_impl->Find(m_impl->visibleById, fieldId);
}

int CHeader::GetColumnIndex(std::int32_t fieldId) const
{
    CScopedLock guard(m_impl->stateLock);
    const auto found = m_impl->positionById.find(fieldId);
    return found == m_impl->positionById.end() ? -1 : found->second;
}

int CHeader::GetVisibleColumnIndex(std::int32_t fieldId) const
{
    CScopedLock guard(m_impl->stateLock);
    return m_impl->VisibleIndex(fieldId);
}

CColumn* CHeader::GetFirstColumn() const
{
    CScopedLock guard(m_impl->stateLock);
    return m_impl->columns.empty() ? nullptr : m_impl->columns.front();
}

CColumn* CHeader::GetFirstVisibleColumn() const
{
    CScopedLock guard(m_impl->stateLock);
    return m_impl->visible.empty() ? nullptr : m_impl->visible.front();
}

CColumn* CHeader::GetLastColumn() const
{
    CScopedLock guard(m_impl->stateLock);
    return m_impl->columns.empty() ? nullptr : m_impl->columns.back();
}

CColumn* CHeader::GetLastVisibleColumn() const
{
    CScopedLock guard(m_impl->stateLock);
    return m_impl->visible.empty() ? nullptr : m_impl->visible.back();
}

// ---- Geometry and hit-testing --------------------------------------------------------------
// The scroll position is read before the state lock is taken, so that no window call is
// made while the header is locked.

CColumn* CHeader::ColumnFromPoint(CWnd* window, int x) const
{
    if (x < 0) {
        return nullptr;
    }
    int scroll = 0;
    const bool scrollKnown = ReadHorizontalScrollPosition(window, scroll);
    CScopedLock guard(m_impl->stateLock);
    std::int64_t headerX = x;
    if (x >= m_impl->fixedWidth) {
        if (!scrollKnown) {
            return nullptr;
        }
        headerX += scroll;
    }
    // The first column whose right edge lies beyond headerX.
    const auto found = m_impl->byRightEdge.upper_bound(Saturate(headerX));
    return found == m_impl->byRightEdge.end() ? nullptr : found->second;
}

CRect CHeader::GetColumnRect(CWnd* window, std::int32_t fieldId) const
{
    return ColumnRect(window, fieldId, false);
}

CRect CHeader::GetClippedColumnRect(CWnd* window, std::int32_t fieldId) const
{
    return ColumnRect(window, fieldId, true);
}

CRect CHeader::ColumnRect(CWnd* window, std::int32_t fieldId, bool clipped) const
{
    int scroll = 0;
    const bool scrollKnown = ReadHorizontalScrollPosition(window, scroll);
    CScopedLock guard(m_impl->stateLock);
    const auto found = m_impl->geometryById.find(fieldId);
    if (found == m_impl->geometryById.end()) {
        return CRect(0, 0, 0, m_impl->height);
    }
    std::int64_t left = found->second.rect.left;
    std::int64_t right = found->second.rect.right;
    const std::int32_t fixedWidth = m_impl->fixedWidth;
    if (left >= fixedWidth) {
        if (scrollKnown) {
            left -= scroll;
            right -= scroll;
        }
        if (clipped) {
            left = std::max<std::int64_t>(left, fixedWidth);
            right = std::max<std::int64_t>(right, fixedWidth);
        }
    }
    return CRect(Saturate(left), 0, Saturate(right), m_impl->height);
}

std::int32_t CHeader::GetHeight() const
{
    CScopedLock guard(m_impl->stateLock);
    return m_impl->height;
}

void CHeader::SetHeight(std::int32_t height)
{
    {
        CScopedLock guard(m_impl->stateLock);
        if (m_impl->height == height) {
            return;
        }
        m_impl->height = height;
    }
    m_impl->Raise(nullptr, HeaderHeightChanged);
}

std::int32_t CHeader::GetFixedWidth() const
{
    CScopedLock guard(m_impl->stateLock);
    return m_impl->fixedWidth;
}

std::int32_t CHeader::GetScrollableWidth() const
{
    CScopedLock guard(m_impl->stateLock);
    return m_impl->scrollableWidth;
}

void CHeader::SetSearchColumn(int visibleIndex)
{
    CScopedLock guard(m_impl->stateLock);
    m_impl->searchColumn = visibleIndex;
}

int CHeader::GetSearchColumn() const
{
    CScopedLock guard(m_impl->stateLock);
    return m_impl->searchColumn;
}

// Takes the state lock like every other reader: the focus may be changed by another thread.
CColumn* CHeader::GetFocusColumn() const
{
    CScopedLock guard(m_impl->stateLock);
    CColumn* focus = m_impl->focus;
    if (focus && m_impl->visibleById.count(focus->GetFieldId()) != 0) {
        return focus;
    }
    return GetVisibleColumn(0);
}

bool CHeader::SetFocusColumn(std::int32_t fieldId)
{
    CScopedLock guard(m_impl->stateLock);
    m_impl->focus = GetVisibleColumnById(fieldId);
    return m_impl->focus != nullptr;
}

// ---- Sort levels ---------------------------------------------------------------------------

void CHeader::SetSortEnabled(bool enabled)
{
    bool cleared = false;
    {
        CScopedLock guard(m_impl->stateLock);
        cleared = !enabled && !m_impl->sortLevels.empty();
        if (cleared) {
            m_impl->sortLevels.clear();
        }
        m_impl->sortEnabled = enabled;
    }
    if (cleared) {
        m_impl->Raise(nullptr, HeaderSortChanged);
    }
}

bool CHeader::IsSortEnabled() const
{
    CScopedLock guard(m_impl->stateLock);
    return m_impl->sortEnabled;
}

void CHeader::SetMultiSortEnabled(bool enabled)
{
    bool cleared = false;
    {
        CScopedLock guard(m_impl->stateLock);
        cleared = !enabled && m_impl->sortLevels.size() > 1;
        if (cleared) {
            m_impl->sortLevels.clear();
        }
        m_impl->multiSortEnabled = enabled;
    }
    if (cleared) {
        m_impl->Raise(nullptr, HeaderSortChanged);
    }
}

bool CHeader::IsMultiSortEnabled() const
{
    CScopedLock guard(m_impl->stateLock);
    return m_impl->multiSortEnabled;
}

void CHeader::SetSort(int level, const CSortInfo& info)
{
    {
        CScopedLock guard(m_impl->stateLock);
        auto& levels = m_impl->sortLevels;
        const int count = static_cast<int>(levels.size());
        if (!m_impl->sortEnabled || (!m_impl->multiSortEnabled && level >= 1) || level < 0 ||
            level >= kMaxSortLevels || level > count) {
            return;
        }
        if (level == count) {
            levels.push_back(info);
        } else if (levels[static_cast<std::size_t>(level)] == info) {
            return;
        } else {
            levels[static_cast<std::size_t>(level)] = info;
        }
    }
    m_impl->Raise(nullptr, HeaderSortChanged);
}

CSortInfo CHeader::GetSort(int level) const
{
    CScopedLock guard(m_impl->stateLock);
    const auto& levels = m_impl->sortLevels;
    if (level < 0 || level >= static_cast<int>(levels.size())) {
        return CSortInfo(kNoFieldId, false);
    }
    return levels[static_cast<std::size_t>(level)];
}

int CHeader::GetSortCount() const
{
    CScopedLock guard(m_impl->stateLock);
    return static_cast<int>(m_impl->sortLevels.size());
}

void CHeader::ClearSort()
{
    {
        CScopedLock guard(m_impl->stateLock);
        if (m_impl->sortLevels.empty()) {
            return;
        }
        m_impl->sortLevels.clear();
    }
    m_impl->Raise(nullptr, HeaderSortChanged);
}

// ---- Font, image list and listeners --------------------------------------------------------

CFont* CHeader::SetFont(CFont* font)
{
    CFont* previous = nullptr;
    {
        CScopedLock guard(m_impl->stateLock);
        previous = std::exchange(m_impl->font, font);
    }
    m_impl->Raise(nullptr, HeaderFontChanged);
    return previous;
}

CFont* CHeader::GetFont() const
{
    CScopedLock guard(m_impl->stateLock);
    return m_impl->font;
}

CImageList* CHeader::SetImageList(CImageList* imageList)
{
    CImageList* previous = nullptr;
    {
        CScopedLock guard(m_impl->stateLock);
        previous = std::exchange(m_impl->imageList, imageList);
    }
    m_impl->Raise(nullptr, HeaderImageListChanged);
    return previous;
}

CImageList* CHeader::GetImageList() const
{
    CScopedLock guard(m_impl->stateLock);
    return m_impl->imageList;
}

void CHeader::AddNotify(INotify* listener)
{
    if (!listener) {
        return;
    }
    CScopedLock guard(m_impl->listenerLock);
    auto& listeners = m_impl->listeners;
    if (std::find(listeners.begin(), listeners.end(), listener) == listeners.end()) {
        listeners.push_back(listener);
    }
}

void CHeader::RemoveNotify(INotify* listener)
{
    CScopedLock guard(m_impl->listenerLock);
    auto& listeners = m_impl->listeners;
    const auto found = std::find(listeners.begin(), listeners.end(), listener);
    if (found != listeners.end()) {
        listeners.erase(found);
    }
}

// ---- Store and restore ---------------------------------------------------------------------

void CHeader::Serialize(CArchive& archive)
{
    if (archive.IsStoring()) {
        Store(archive);
    } else {
        Restore(archive);
    }
}

void CHeader::Store(CArchive& archive)
{
    CScopedLock guard(m_impl->stateLock);
    const Impl& s = *m_impl;
    archive << kHeaderVersion << static_cast<std::int32_t>(s.columns.size());
    for (CColumn* column : s.columns) {
        archive.WriteClass(column->GetRuntimeClass());
        column->Serialize(archive);
    }
    archive << static_cast<std::int32_t>(s.fixedCount) << s.height << s.sortEnabled
            << s.multiSortEnabled << static_cast<std::int32_t>(s.sortLevels.size());
    for (CSortInfo level : s.sortLevels) {
        level.Serialize(archive);
    }
    archive << s.canMoveFixed << s.canMoveScrollable << s.reservedFlag
            << static_cast<std::int32_t>(s.searchColumn);
}

void CHeader::Restore(CArchive& archive)
{
    std::int32_t version = 0;
    archive >> version;
    if (version > kHeaderVersion) {
        throw CArchiveException(CArchiveException::badSchema, "CHeader");
    }
    if (version < 1) {
        return;
    }
    RemoveAllColumns();
    std::int32_t columnCount = 0;
    archive >> columnCount;
    // Every column consumes input, so a forged count ends at the end of the input.
    for (std::int32_t i = 0; i < columnCount; ++i) {
        RestoreColumn(archive);
    }
    std::int32_t fixedCount = 0;
    std::int32_t height = 0;
    archive >> fixedCount >> height;
    {
        CScopedLock guard(m_impl->stateLock);
        m_impl->fixedCount = fixedCount;
        m_impl->height = height;
        m_impl->RecalcColumns();
    }
    bool sortEnabled = true;
    bool multiSortEnabled = true;
    archive >> sortEnabled >> multiSortEnabled;
    {
        CScopedLock guard(m_impl->stateLock);
        m_impl->sortEnabled = sortEnabled;
        m_impl->multiSortEnabled = multiSortEnabled;
        m_impl->sortLevels.clear();
    }
    // All stored levels are read, so that the fields after them stay aligned even when a
    // foreign writer stored more levels than are applied; only the first five are kept.
    std::int32_t levelCount = 0;
    archive >> levelCount;
    std::vector<CSortInfo> levels;
    for (std::int32_t i = 0; i < levelCount; ++i) {
        CSortInfo level;
        level.Serialize(archive);
        if (levels.size() < kMaxSortLevels) {
            levels.push_back(level);
        }
    }
    bool canMoveFixed = true;
    bool canMoveScrollable = true;
    bool reservedFlag = true;
    std::int32_t searchColumn = 0;
    archive >> canMoveFixed >> canMoveScrollable >> reservedFlag >> searchColumn;
    {
        CScopedLock guard(m_impl->stateLock);
        m_impl->canMoveFixed = canMoveFixed;
        m_impl->canMoveScrollable = canMoveScrollable;
        m_impl->reservedFlag = reservedFlag;
        m_impl->searchColumn = searchColumn;
    }
    for (std::size_t i = 0; i < levels.size(); ++i) {
        SetSort(static_cast<int>(i), levels[i]);
    }
}

// One stored column: created by its class name and added; when the class is unknown, not a
// column or not creatable, its data is read into a scratch column and dropped so that the
// input stays aligned. A column the header refuses (reserved or repeated field id) is
// dropped too.
void CHeader::RestoreColumn(CArchive& archive)
{
    const CRuntimeClass* runtimeClass = archive.ReadClass();
    std::unique_ptr<CObject> created;
    if (runtimeClass && runtimeClass->IsDerivedFrom(RUNTIME_CLASS(CColumn))) {
        created.reset(runtimeClass->CreateObject());
    }
    if (!created) {
        CColumn scratch;
        scratch.Serialize(archive);
        return;
    }
    auto* column = static_cast<CColumn*>(created.get());
    column->Serialize(archive);
    if (AddColumn(column)) {
        created.release();
    }
}

} // namespace Ombrel::GUI
