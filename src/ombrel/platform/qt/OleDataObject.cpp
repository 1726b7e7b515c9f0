#include "ombrel/platform/OleDataObject.h"

#include "ombrel/platform/qt/MimeFormats.h"
#include "ombrel/platform/qt/OleDataObjectImpl.h"

#include <cstring>

namespace Ombrel {

COleDataObject::COleDataObject() : m_impl(std::make_unique<Impl>()) {}

COleDataObject::COleDataObject(std::unique_ptr<Impl> impl)
    : m_impl(impl ? std::move(impl) : std::make_unique<Impl>())
{
}

COleDataObject::~COleDataObject() = default;

bool COleDataObject::IsDataAvailable(UINT format) const
{
    return Internal::MimeDataHolds(m_impl->data.data(), format);
}

HGLOBAL COleDataObject::GetGlobalData(UINT format) const
{
    const std::optional<QByteArray> bytes = Internal::ReadFormat(m_impl->data.data(), format);
    if (!bytes)
        return nullptr;
    const auto size = static_cast<std::size_t>(bytes->size());
    HGLOBAL block = GlobalAlloc(GMEM_FIXED, size);
    if (block == nullptr)
        return nullptr;
    if (size > 0)
        std::memcpy(GlobalLock(block), bytes->constData(), size);
    return block;
}

} // namespace Ombrel
