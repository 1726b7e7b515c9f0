#pragma once

#include "ombrel/base/Object.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Ombrel::Common {
class CFormat;
}

namespace Ombrel::GUI {

// One column of the grid: the field it shows (by field identifier), title, width, text
// alignment, whether its cells may be edited in place, its images and an optional value
// format overriding the field's own. Created by the application and handed to a CHeader,
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
// flag; int column paint format flag (each followed, when 1, by the paint format's class
// name and its own data).
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
    // `format` passes to the column, which deletes it. Field identifiers -1 and -2 are
    // accepted here but refused by CHeader::AddColumn.
    CColumn(std::int32_t fieldId, const std::string& title, std::int32_t width,
            std::int32_t alignment = AlignAuto, bool editable = true, std::int32_t imageIndex = -1,
            std::int32_t headerImageIndex = -1, Common::CFormat* format = nullptr,
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
    bool IsVisible() const;
    // Free text of the application, kept and stored with the column.
    std::string GetUserText() const;

    // A width below 1 is refused (false). Otherwise true; ColumnWidthChanged follows when the
    // width changed.
    bool SetWidth(std::int32_t width);
    // ColumnVisibilityChanged follows when the flag changed. Applications show and hide
    // columns through the header.
    void SetVisible(bool visible);

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
    // an unregistered class raises badSchema.
    void Serialize(CArchive& archive) override;

private:
    void Store(CArchive& archive);
    void Restore(CArchive& archive);

    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::GUI
