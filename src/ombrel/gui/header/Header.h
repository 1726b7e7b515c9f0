#pragma once

#include "ombrel/base/Geometry.h"
#include "ombrel/base/Object.h"
#include "ombrel/gui/AutoDelete.h"
#include "ombrel/gui/header/SortInfo.h"

#include <cstdint>
#include <memory>

namespace Ombrel {
class CFont;
class CImageList;
class CWnd;
} // namespace Ombrel

namespace Ombrel::GUI {

class CColumn;

// The ordered collection of the grid's columns, with what the grid needs to know about them
// as a whole: visible order, fixed columns, pixel geometry, header height, font and image
// list, sort levels, focus and search column. A passive model: it paints nothing and handles
// no input. It owns its columns and listens to each of them.
//
// Terms: a "position" is an index among all columns in display order; a "visible index" is
// an index among the visible columns only. The first GetFixedColumnCount() visible columns
// are fixed: they do not scroll horizontally. Geometry is in header pixels with x = 0 at the
// left edge of the first visible column, before any scrolling.
//
// Threads: any thread may call any operation. A recursive state lock guards the model and is
// held for each operation's whole work; events caused directly by an operation are raised
// after it is released, events caused by a column's own event while it is held. A listener
// lock guards the listener list, which is copied before delivery; listeners are called in
// registration order on the thread that made the change and may add or remove listeners.
class CHeader : public IAutoDelete, public CObject
{
    DECLARE_SERIAL(CHeader)

public:
    enum Event
    {
        HeaderColumnAdded = 0,
        HeaderColumnRemoved = 1,      // the column is still alive during delivery
        HeaderColumnResized = 2,
        HeaderColumnChanged = 3,      // any other column event from 0 to 10
        HeaderColumnVisibility = 4,
        HeaderColumnMoved = 5,
        HeaderFixedColumnsChanged = 6,
        HeaderSortChanged = 7,
        HeaderHeightChanged = 9,
        HeaderFontChanged = 10,
        HeaderImageListChanged = 11,
    };

    static constexpr int kMaxSortLevels = GUI::kMaxSortLevels;
    static constexpr std::int32_t kDefaultHeight = 20;

    // Receives header events; `column` is null for events about the header as a whole.
    class INotify
    {
    public:
        virtual void OnHeaderChanged(CHeader* header, CColumn* column, int code) = 0;

    protected:
        ~INotify() = default;
    };

    // Created by class name (restore), a header answers IsAutoDelete true.
    explicit CHeader(bool autoDelete = true);
    // Removes and deletes every column, raising HeaderColumnRemoved for each.
    ~CHeader() override;

    CHeader(const CHeader&) = delete;
    CHeader& operator=(const CHeader&) = delete;

    bool IsAutoDelete() const override;

    // Takes ownership and appends the column. Refused (false, the caller keeps the column)
    // for null, for field ids -1 and -2, and for a field id already held.
    virtual bool AddColumn(CColumn* column);
    // Removes and deletes the column of that field id; false when there is none.
    virtual bool RemoveColumn(std::int32_t fieldId);
    // Sort levels, fixed count, flags and height stay.
    virtual void RemoveAllColumns();
    virtual int GetColumnCount() const;
    virtual int GetVisibleColumnCount() const;
    // Not compared with the column count; a count past the visible columns fixes them all.
    virtual void SetFixedColumnCount(int count);
    virtual int GetFixedColumnCount() const;
    virtual bool IsFixedColumn(std::int32_t fieldId) const;
    // HeaderColumnVisibility is raised twice for one change: once through the column's own
    // event and once by the header. True also when the column already had that visibility.
    virtual bool ShowColumn(std::int32_t fieldId);
    virtual bool HideColumn(std::int32_t fieldId);
    virtual bool CanMoveFixedColumns() const;
    virtual bool CanMoveScrollableColumns() const;
    // Stored and restored; nothing in the component reads it.
    virtual bool GetReservedFlag() const;
    virtual void SetCanMoveFixedColumns(bool canMove);
    virtual void SetCanMoveScrollableColumns(bool canMove);
    virtual void SetReservedFlag(bool flag);
    virtual bool MoveColumnBefore(std::int32_t fieldId, std::int32_t targetId);
    virtual bool MoveColumnAfter(std::int32_t fieldId, std::int32_t targetId);
    virtual bool MoveColumnToPosition(std::int32_t fieldId, int position);
    virtual bool MoveColumnToVisiblePosition(std::int32_t fieldId, int visibleIndex);
    virtual CColumn* GetColumn(int position) const;
    virtual CColumn* GetVisibleColumn(int visibleIndex) const;
    virtual CColumn* GetColumnById(std::int32_t fieldId) const;
    virtual CColumn* GetVisibleColumnById(std::int32_t fieldId) const;
    virtual int GetColumnIndex(std::int32_t fieldId) const;        // position, or -1
    virtual int GetVisibleColumnIndex(std::int32_t fieldId) const; // visible index, or -1
    virtual CColumn* GetFirstColumn() const;
    virtual CColumn* GetFirstVisibleColumn() const;
    virtual CColumn* GetLastColumn() const;
    virtual CColumn* GetLastVisibleColumn() const;
    // The column under client x of `window`, whose horizontal scroll position shifts the
    // scrolling columns; null past the last column, for x < 0, or when a scrolling column
    // is asked for and the window's scroll position cannot be read.
    virtual CColumn* ColumnFromPoint(CWnd* window, int x) const;
    // The column's rectangle in the client coordinates of `window`: top 0, bottom the
    // header height, scrolling columns shifted by the horizontal scroll position.
    // {0, 0, 0, height} for an absent or hidden field.
    virtual CRect GetColumnRect(CWnd* window, std::int32_t fieldId) const;
    // As GetColumnRect, with a scrolling column's edges kept out of the fixed area.
    virtual CRect GetClippedColumnRect(CWnd* window, std::int32_t fieldId) const;
    virtual std::int32_t GetHeight() const;
    virtual void SetHeight(std::int32_t height);
    virtual std::int32_t GetFixedWidth() const;
    virtual std::int32_t GetScrollableWidth() const;
    virtual void SetSearchColumn(int visibleIndex);
    virtual int GetSearchColumn() const;
    // The focus column when set and visible, else the first visible column.
    virtual CColumn* GetFocusColumn() const;
    // Focus on the visible column of that field; false (focus cleared) when it is absent or
    // hidden.
    virtual bool SetFocusColumn(std::int32_t fieldId);
    virtual void SetSortEnabled(bool enabled);
    virtual bool IsSortEnabled() const;
    virtual void SetMultiSortEnabled(bool enabled);
    virtual bool IsMultiSortEnabled() const;
    // Sets level 0 to 4; appends when `level` equals the level count. Ignored when sorting
    // is disabled, for level >= 1 while multi-sort is disabled, and beyond the count.
    virtual void SetSort(int level, const CSortInfo& info);
    // A copy; field id -2, ascending, for a level out of range.
    virtual CSortInfo GetSort(int level) const;
    virtual int GetSortCount() const;
    virtual void ClearSort();
    // Not owned. Both setters always raise their event and return the previous value.
    virtual CFont* SetFont(CFont* font);
    virtual CFont* GetFont() const;
    virtual CImageList* SetImageList(CImageList* imageList);
    virtual CImageList* GetImageList() const;

    // Null and already registered listeners are ignored; RemoveNotify removes the first
    // match.
    void AddNotify(INotify* listener);
    void RemoveNotify(INotify* listener);

    // Stores or restores columns, fixed count, height, sort flags and levels, move flags,
    // reserved flag and search column. Restore: a newer version raises
    // CArchiveException::badSchema, a version below 1 changes nothing; otherwise the
    // current columns are removed first, and on an exception the columns restored so far
    // stay.
    void Serialize(CArchive& archive) override;

private:
    void Store(CArchive& archive);
    void Restore(CArchive& archive);
    void RestoreColumn(CArchive& archive);
    bool MoveColumn(std::int32_t fieldId, std::int32_t targetId, bool after);
    CRect ColumnRect(CWnd* window, std::int32_t fieldId, bool clipped) const;

    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::GUI
