#include "ombrel/gui/header/Column.h"

#include "ombrel/base/Archive.h"
#include "ombrel/common/CommonException.h"
#include "ombrel/common/Format.h"
#include "ombrel/common/Serializer.h"
#include "ombrel/gui/paint/CellPaintFormat.h"
#include "ombrel/gui/paint/ColumnPaintFormat.h"
#include "ombrel/gui/paint/PaintFormatRegistry.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace Ombrel::GUI {

IMPLEMENT_SERIAL(CColumn, CObject, 1)

namespace {

constexpr std::int32_t kColumnVersion = 1;
constexpr std::int32_t kNoFieldId = -2;

using Common::CFormat;
using Common::CSerializer;

// The value format's options as its own serializer writes them.
std::vector<char> SerializedOptions(CFormat& format)
{
    CSerializer serializer(false);
    format.Serialize(serializer);
    std::vector<char> bytes(static_cast<std::size_t>(serializer.GetSize()));
    if (!bytes.empty()) {
        serializer.GetData(bytes.data());
    }
    return bytes;
}

// Restores options written by SerializedOptions. The serializer's errors become archive
// errors, so that a caller restoring through an archive meets one kind of exception.
void RestoreOptions(CFormat& format, const std::vector<char>& bytes)
{
    CSerializer serializer(true);
    serializer.SetData(bytes.data(), static_cast<int>(bytes.size()));
    try {
        format.Serialize(serializer);
    } catch (const CSerializer::BadVersionException& e) {
        throw CArchiveException(CArchiveException::badSchema, e.what());
    } catch (const Common::CommonException& e) {
        throw CArchiveException(CArchiveException::genericException, e.what());
    }
}

// Reads the value format record; null when the flag is clear or the class is unknown.
std::unique_ptr<CFormat> ReadFormat(CArchive& archive)
{
    bool present = false;
    archive >> present;
    if (!present) {
        return nullptr;
    }
    const std::string className = archive.ReadString();
    std::int32_t size = 0;
    archive >> size;
    if (size < 0) {
        throw CArchiveException(CArchiveException::genericException, "negative format size");
    }
    if (static_cast<std::uint64_t>(size) > archive.GetRemaining()) {
        throw CArchiveException(CArchiveException::endOfFile);
    }
    std::vector<char> bytes(static_cast<std::size_t>(size));
    archive.Read(bytes.data(), bytes.size());
    std::unique_ptr<CFormat> format(CFormat::CreateFormat(className));
    if (format) {
        RestoreOptions(*format, bytes);
    }
    return format;
}

// Writes a paint format slot: int 1, the class name and the format's own data for a
// serializable format, else int 0.
template <class TFormat>
void WritePaintFormat(CArchive& archive, TFormat* format)
{
    const bool store = format && format->IsSerializable();
    archive << std::int32_t(store ? 1 : 0);
    if (store) {
        archive << format->GetClassName();
        format->Serialize(archive);
    }
}

// Reads a paint format slot; null when the flag is clear. A class name missing from the
// registry is a schema error: the data that follows it cannot be skipped.
template <class TFormat>
std::unique_ptr<TFormat> ReadPaintFormat(CArchive& archive)
{
    std::int32_t present = 0;
    archive >> present;
    if (present == 0) {
        return nullptr;
    }
    const std::string className = archive.ReadString();
    std::unique_ptr<TFormat> format = CPaintFormatRegistry<TFormat>::Create(className);
    if (!format) {
        throw CArchiveException(CArchiveException::badSchema, className.c_str());
    }
    format->Serialize(archive);
    return format;
}

} // namespace

struct CColumn::Impl
{
    mutable std::mutex propertyLock; // guards every field from fieldId to userText
    std::int32_t fieldId = kNoFieldId;
    std::string title;
    std::int32_t width = 0; // pixels
    std::int32_t alignment = AlignLeft;
    std::int32_t imageIndex = -1;
    std::int32_t headerImageIndex = -1;
    std::unique_ptr<CFormat> format;
    std::unique_ptr<ICellPaintFormat> cellPaintFormat;
    std::unique_ptr<IColumnPaintFormat> columnPaintFormat;
    bool visible = true;
    bool editable = false;
    std::string userText;

    std::mutex listenerLock; // guards listeners
    std::vector<INotify*> listeners;

    template <typename T>
    T Read(const T& field) const
    {
        std::lock_guard<std::mutex> guard(propertyLock);
        return field;
    }
};

CColumn::CColumn() : m_impl(std::make_unique<Impl>()) {}

CColumn::CColumn(std::int32_t fieldId, const std::string& title, std::int32_t width,
                 std::int32_t alignment, bool editable, std::int32_t imageIndex,
                 std::int32_t headerImageIndex, Common::CFormat* format,
                 ICellPaintFormat* cellPaintFormat, IColumnPaintFormat* columnPaintFormat,
                 const std::string& userText)
    : m_impl(std::make_unique<Impl>())
{
    m_impl->fieldId = fieldId;
    m_impl->title = title;
    m_impl->width = width;
    m_impl->alignment = alignment;
    m_impl->editable = editable;
    m_impl->imageIndex = imageIndex;
    m_impl->headerImageIndex = headerImageIndex;
    m_impl->format.reset(format);
    m_impl->cellPaintFormat.reset(cellPaintFormat);
    m_impl->columnPaintFormat.reset(columnPaintFormat);
    m_impl->userText = userText;
}

CColumn::~CColumn()
{
    Notify(ColumnDestroyed);
}

std::int32_t CColumn::GetFieldId() const { return m_impl->Read(m_impl->fieldId); }
std::string CColumn::GetTitle() const { return m_impl->Read(m_impl->title); }
std::int32_t CColumn::GetWidth() const { return m_impl->Read(m_impl->width); }
std::int32_t CColumn::GetAlignment() const { return m_impl->Read(m_impl->alignment); }
bool CColumn::IsEditable() const { return m_impl->Read(m_impl->editable); }
std::int32_t CColumn::GetImageIndex() const { return m_impl->Read(m_impl->imageIndex); }
std::int32_t CColumn::GetHeaderImageIndex() const { return m_impl->Read(m_impl->headerImageIndex); }
bool CColumn::IsVisible() const { return m_impl->Read(m_impl->visible); }
std::string CColumn::GetUserText() const { return m_impl->Read(m_impl->userText); }

Common::CFormat* CColumn::GetFormat() const
{
    std::lock_guard<std::mutex> guard(m_impl->propertyLock);
    return m_impl->format.get();
}

ICellPaintFormat* CColumn::GetCellPaintFormat() const
{
    std::lock_guard<std::mutex> guard(m_impl->propertyLock);
    return m_impl->cellPaintFormat.get();
}

IColumnPaintFormat* CColumn::GetColumnPaintFormat() const
{
    std::lock_guard<std::mutex> guard(m_impl->propertyLock);
    return m_impl->columnPaintFormat.get();
}

void CColumn::SetCellPaintFormat(ICellPaintFormat* format)
{
    std::unique_ptr<ICellPaintFormat> previous(format);
    {
        std::lock_guard<std::mutex> guard(m_impl->propertyLock);
        m_impl->cellPaintFormat.swap(previous);
    }
    // `previous` (now the old format) is deleted here, outside the lock.
}

void CColumn::SetColumnPaintFormat(IColumnPaintFormat* format)
{
    std::unique_ptr<IColumnPaintFormat> previous(format);
    {
        std::lock_guard<std::mutex> guard(m_impl->propertyLock);
        m_impl->columnPaintFormat.swap(previous);
    }
}

bool CColumn::SetWidth(std::int32_t width)
{
    if (width < 1) {
        return false;
    }
    {
        std::lock_guard<std::mutex> guard(m_impl->propertyLock);
        if (m_impl->width == width) {
            return true;
        }
        m_impl->width = width;
    }
    Notify(ColumnWidthChanged);
    return true;
}

void CColumn::SetVisible(bool visible)
{
    {
        std::lock_guard<std::mutex> guard(m_impl->propertyLock);
        if (m_impl->visible == visible) {
            return;
        }
        m_impl->visible = visible;
    }
    Notify(ColumnVisibilityChanged);
}

void CColumn::AddNotify(INotify* listener)
{
    if (!listener) {
        return;
    }
    std::lock_guard<std::mutex> guard(m_impl->listenerLock);
    auto& listeners = m_impl->listeners;
    if (std::find(listeners.begin(), listeners.end(), listener) == listeners.end()) {
        listeners.push_back(listener);
    }
}

void CColumn::RemoveNotify(INotify* listener)
{
    std::lock_guard<std::mutex> guard(m_impl->listenerLock);
    auto& listeners = m_impl->listeners;
    const auto found = std::find(listeners.begin(), listeners.end(), listener);
    if (found != listeners.end()) {
        listeners.erase(found);
    }
}

void CColumn::Notify(int code)
{
    std::vector<INotify*> copy;
    {
        std::lock_guard<std::mutex> guard(m_impl->listenerLock);
        copy = m_impl->listeners;
    }
    for (INotify* listener : copy) {
        listener->OnColumnChanged(this, code);
    }
}

void CColumn::Serialize(CArchive& archive)
{
    if (archive.IsStoring()) {
        Store(archive);
    } else {
        Restore(archive);
    }
}

void CColumn::Store(CArchive& archive)
{
    std::lock_guard<std::mutex> guard(m_impl->propertyLock);
    const Impl& s = *m_impl;
    archive << kColumnVersion << s.fieldId << s.title << s.width << s.alignment << s.imageIndex
            << s.headerImageIndex << s.visible << s.editable << s.userText;
    const bool storeFormat = s.format && s.format->IsSerializable();
    archive << storeFormat;
    if (storeFormat) {
        const std::vector<char> options = SerializedOptions(*s.format);
        archive << s.format->GetClassName() << static_cast<std::int32_t>(options.size());
        archive.Write(options.data(), options.size());
    }
    WritePaintFormat(archive, s.cellPaintFormat.get());
    WritePaintFormat(archive, s.columnPaintFormat.get());
}

void CColumn::Restore(CArchive& archive)
{
    std::int32_t version = 0;
    archive >> version;
    if (version > kColumnVersion) {
        throw CArchiveException(CArchiveException::badSchema, "CColumn");
    }
    if (version < 1) {
        return;
    }
    Impl read;
    archive >> read.fieldId >> read.title >> read.width >> read.alignment >> read.imageIndex >>
        read.headerImageIndex >> read.visible >> read.editable >> read.userText;
    {
        std::lock_guard<std::mutex> guard(m_impl->propertyLock);
        Impl& s = *m_impl;
        s.fieldId = read.fieldId;
        s.title = std::move(read.title);
        s.width = read.width;
        s.alignment = read.alignment;
        s.imageIndex = read.imageIndex;
        s.headerImageIndex = read.headerImageIndex;
        s.visible = read.visible;
        s.editable = read.editable;
        s.userText = std::move(read.userText);
        s.format.reset();
    }
    std::unique_ptr<CFormat> format = ReadFormat(archive);
    {
        std::lock_guard<std::mutex> guard(m_impl->propertyLock);
        m_impl->format = std::move(format);
    }
    RestorePaintFormats(archive);
}

void CColumn::RestorePaintFormats(CArchive& archive)
{
    // Each slot is emptied before it is read, so that a failed read leaves it empty rather
    // than holding a format the stored column did not have.
    SetCellPaintFormat(nullptr);
    std::unique_ptr<ICellPaintFormat> cellFormat = ReadPaintFormat<ICellPaintFormat>(archive);
    SetCellPaintFormat(cellFormat.release());

    SetColumnPaintFormat(nullptr);
    std::unique_ptr<IColumnPaintFormat> columnFormat = ReadPaintFormat<IColumnPaintFormat>(archive);
    SetColumnPaintFormat(columnFormat.release());
}

} // namespace Ombrel::GUI
