#include "Record.h"

#include <array>
#include <mutex>

namespace OmbrelBench {

namespace {

constexpr std::size_t kStripeCount = 64;

std::mutex& StripeLock(int index)
{
    static std::array<std::mutex, kStripeCount> locks;
    return locks[static_cast<std::size_t>(index) % kStripeCount];
}

} // namespace

CRecord::CRecord(int index, const RowValues& values)
    : m_index(index),
      m_quantity(values.quantity),
      m_name(values.name),
      m_volume(values.volume),
      m_price(values.price),
      m_date(values.date),
      m_city(values.city)
{
}

std::int32_t CRecord::GetQuantity() const
{
    std::lock_guard<std::mutex> lock(StripeLock(m_index));
    return m_quantity;
}

void CRecord::SetQuantity(std::int32_t value)
{
    {
        std::lock_guard<std::mutex> lock(StripeLock(m_index));
        m_quantity = value;
    }
    NotifyUpdate(kQuantityField);
}

using namespace Ombrel::Common;

OMBREL_BEGIN_FIELD_MAP(CRecord)
    OMBREL_FIELD(kNameField, "Name", &CRecord::GetName)
    OMBREL_FIELD(kQuantityField, "Quantity", &CRecord::GetQuantity, &CRecord::SetQuantity)
    OMBREL_FIELD(kVolumeField, "Volume", &CRecord::GetVolume)
    OMBREL_FIELD(kPriceField, "Price", &CRecord::GetPrice)
    OMBREL_FIELD(kDateField, "Date", &CRecord::GetDate, 0, (new CLongDateFormat(14)))
    OMBREL_FIELD(kCityField, "City", &CRecord::GetCity)
OMBREL_END_FIELD_MAP()

} // namespace OmbrelBench
