#include "ombrel/common/DateSettings.h"

#include <mutex>

namespace Ombrel::Common {

struct CDateSettings::Impl
{
    mutable std::mutex lock; // guards values
    Snapshot values;
};

CDateSettings::CDateSettings() : m_impl(std::make_unique<Impl>()) {}

CDateSettings::~CDateSettings() = default;

CDateSettings& CDateSettings::GetInstance()
{
    static CDateSettings instance;
    return instance;
}

void CDateSettings::SetDateOrder(std::int32_t order)
{
    if (order < kDayMonthYear || order > kYearMonthDay)
        return;
    std::lock_guard guard(m_impl->lock);
    m_impl->values.dateOrder = order;
}

std::int32_t CDateSettings::GetDateOrder() const
{
    std::lock_guard guard(m_impl->lock);
    return m_impl->values.dateOrder;
}

void CDateSettings::SetDateSeparator(const std::string& separator)
{
    std::lock_guard guard(m_impl->lock);
    m_impl->values.dateSeparator = separator;
}

std::string CDateSettings::GetDateSeparator() const
{
    std::lock_guard guard(m_impl->lock);
    return m_impl->values.dateSeparator;
}

std::string CDateSettings::GetTimeSeparator() const
{
    std::lock_guard guard(m_impl->lock);
    return m_impl->values.timeSeparator;
}

std::string CDateSettings::GetMsecSeparator() const
{
    std::lock_guard guard(m_impl->lock);
    return m_impl->values.msecSeparator;
}

CDateSettings::Snapshot CDateSettings::GetSnapshot() const
{
    std::lock_guard guard(m_impl->lock);
    return m_impl->values;
}

} // namespace Ombrel::Common
