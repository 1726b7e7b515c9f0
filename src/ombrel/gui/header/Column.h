#pragma once

#include "ombrel/base/Object.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Ombrel::Common {
class CFormat;
}

namespace Ombrel::GUI {

class ICellPaintFormat;
class IColumnPaintFormat;

// One column of the grid: the field it shows (by field identifier), title, width, text
// alignment, whether its cells may be edited in place, its images, an optional value format
// overriding the field's own and optional paint formats for its cells and its header cell. Created by the application and handed to a CHeader,
// which then owns it and listens to it.
//
// Threads: every accessor and setter may be called from any thread; the properties are
// guarded by a property lock and the listener list by a listener lock. Listeners are called
// with neither lock held, in registration order, on the thread that made the change.
//
// Stored form (Serialize), in this order, "int" 32-bit little-endian: int version 1; int
// field id; string title; int width; int alignment; int cell image; int header image; byte
// visible; byte editable; string user text; byte format flag, and when 1 the format's class
// name, int N and N bytes of the format's own serialized options; int cell paint format
// flag; int column paint format flag (each 1 only for a paint format that is serializable,
// and then followed by the paint format's class name and what its Serialize writes).
class CColumn : public CObject
{
    DECLARE_SERIAL(CColumn)

public:
    enum Alignment
    {
        AlignAuto = 0,   // right for numeric value kinds, left otherwise
        AlignLeft = 1,
        AlignRight = 2,
        AlignCenter = 3,
    };

    enum Event
    {
        ColumnWidthChanged = 1,
        ColumnVisibilityChanged = 9,
        ColumnDestroyed = 11, // raised by the destructor before anything is released
    };

    // Receives column events. Listeners are not owned by the column.
    class INotify
    {
    public:
        virtual void OnColumnChanged(CColumn* column, int code) = 0;

    protected:
        ~INotify() = default;
    };

    // A column bound to no field (-2), empty title, width 0, left-aligned, visible, not
    // editable; the form a column takes before it is restored.
    CColumn();
    // `format` and both paint formats pass to the column, which deletes them. Field
    // identifiers -1 and -2 are accepted here but refused by CHeader::AddColumn.
    CColumn(std::int32_t fieldId, const std::string& title, std::int32_t width,
            std::int32_t alignment = AlignAuto, bool editable = true, std::int32_t imageIndex = -1,
            std::int32_t headerImageIndex = -1, Common::CFormat* format = nullptr,
            ICellPaintFormat* cellPaintFormat = nullptr,
            IColumnPaintFormat* columnPaintFormat = nullptr,
            const std::string& userText = std::string());
    ~CColumn() override;

    CColumn(const CColumn&) = delete;
    CColumn& operator=(const CColumn&) = delete;

    std::int32_t GetFieldId() const;
    std::string GetTitle() const;
    std::int32_t GetWidth() const;
    std::int32_t GetAlignment() const;
    bool IsEditable() const;
    std::int32_t GetImageIndex() const;       // cell image, -1 for none
    std::int32_t GetHeaderImageIndex() const; // header image, -1 for none
    // The column's own value format, or null when the field's format applies. Owned by the
    // column; valid until the column is restored or destroyed.
    Common::CFormat* GetFormat() const;
    // The format that paints this column's cells instead of the grid's default, or null.
    // Owned by the column; valid until it is replaced, the column is restored or destroyed.
    ICellPaintFormat* GetCellPaintFormat() const;
    // The header-cell paint format given to the column, or null. It is kept and stored with
    // the column; the standard custom draw paints header cells with its default format.
    IColumnPaintFormat* GetColumnPaintFormat() const;
    bool IsVisible() const;
    // Free text of the application, kept and stored with the column.
    std::string GetUserText() const;

    // A width below 1 is refused (false). Otherwise true; ColumnWidthChanged follows when the
    // width changed.
    bool SetWidth(std::int32_t width);
    // ColumnVisibilityChanged follows when the flag changed. Applications show and hide
    // columns through the header.
    void SetVisible(bool visible);
    // Install a paint format (null: none), taking ownership; the previous one is deleted at
    // once, so replace it on the window thread while the grid is not painting.
    void SetCellPaintFormat(ICellPaintFormat* format);
    void SetColumnPaintFormat(IColumnPaintFormat* format);

    // Null and already registered listeners are ignored.
    void AddNotify(INotify* listener);
    // Removes the first matching entry, if any.
    void RemoveNotify(INotify* listener);
    // Calls every listener registered when the call begins, in registration order, with no
    // lock held; a listener may add or remove listeners meanwhile.
    void Notify(int code);

    // Stores or restores the column. Restore: a newer version raises
    // CArchiveException::badSchema; a version below 1 leaves the column as it was; fields
    // are replaced without events. A value format of an unregistered class is skipped and
    // the column ends with no format; one whose options cannot be restored raises
    // badSchema (newer options) or genericException (malformed options). A paint format of
    // a class missing from its paint-format registry raises badSchema; the paint format it
    // replaces is gone by then and the slot stays empty.
    void Serialize(CArchive& archive) override;

private:
    void Store(CArchive& archive);
    void Restore(CArchive& archive);
    void RestorePaintFormats(CArchive& archive);

    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::GUI
