#pragma once

// The data object the Ombrel side shows: one record of RowData.h with six fields.

#include <cstdint>

#include "RowData.h"
#include "ombrel/Common.h"

namespace OmbrelBench {

enum RecordField : int
{
    kNameField = kNameColumn + 1,
    kQuantityField = kQuantityColumn + 1,
    kVolumeField = kVolumeColumn + 1,
    kPriceField = kPriceColumn + 1,
    kDateField = kDateColumn + 1,
    kCityField = kCityColumn + 1,
};

// Only the quantity changes once a grid shows the record: the workers write it while the
// window thread reads it to sort and paint, so it is guarded by a lock (one of a small set
// shared by stripes of records, so that a record carries no mutex of its own). Every other
// field is written before the record is shown and only read afterwards.
class CRecord final : public Ombrel::Common::CDataObject
{
    OMBREL_DECLARE_FIELD_MAP()
public:
    CRecord(int index, const RowValues& values);
    ~CRecord() override { NotifyDestroy(); }

    // Position in load order (the Qt model's source row of the same record).
    int GetIndex() const { return m_index; }

    Ombrel::CString GetName() const { return m_name; }
    std::int32_t GetQuantity() const;
    std::int64_t GetVolume() const { return m_volume; }
    double GetPrice() const { return m_price; }
    std::int32_t GetDate() const { return m_date; }
    Ombrel::CString GetCity() const { return m_city; }

    // Any thread: stores the value and announces the change.
    void SetQuantity(std::int32_t value);

private:
    const std::int32_t m_index;
    std::int32_t m_quantity; // guarded by the record's stripe lock
    Ombrel::CString m_name;
    std::int64_t m_volume;
    double m_price;
    std::int32_t m_date;
    Ombrel::CString m_city;
};

} // namespace OmbrelBench
