#pragma once

#include <mutex>
#include <utility>

#include "ombrel/common/DataObject.h"

namespace Ombrel::Common {

// A data object whose fields may be written on any thread while the grid reads them on the
// window thread. Each value is a Field member; Read and Write take the object's one lock,
// and Write announces the change after it has let the lock go, so that a sink (the grid)
// may read the object back from inside the notification.
//
//   class CQuote : public Ombrel::Common::CLockedDataObject
//   {
//       OMBREL_DECLARE_FIELD_MAP()
//   public:
//       static constexpr int kPriceField = 2;
//       ~CQuote() override { NotifyDestroy(); }
//       double GetPrice() const { return Read(m_price); }
//       void SetPrice(double value) { Write(m_price, value); }
//   private:
//       Field<double, kPriceField> m_price{100.0};
//   };
//
// The field's identifier is part of its type, so a setter cannot announce the wrong field.
// A Field holds nothing but its value: the lock and the notification belong to the object.
class CLockedDataObject : public CDataObject
{
public:
    // One value of the object, identified by `FieldId` in the object's field map. Read and
    // written only through the owning object's Read and Write.
    template <class T, int FieldId>
    class Field
    {
    public:
        static constexpr int kId = FieldId;

        Field() = default;
        explicit Field(T initial) : m_value(std::move(initial)) {}

    private:
        friend class CLockedDataObject;
        T m_value{};
    };

    CLockedDataObject() = default;
    // Values are copied by the derived class's own members; the lock and the sinks belong to
    // one object each, so copying is left out rather than done half under a lock.
    CLockedDataObject(const CLockedDataObject&) = delete;
    CLockedDataObject& operator=(const CLockedDataObject&) = delete;

protected:
    // The value, read under the lock.
    template <class T, int FieldId>
    T Read(const Field<T, FieldId>& field) const
    {
        std::lock_guard lock(m_lock);
        return field.m_value;
    }

    // Stores the value under the lock; when it differs from the stored one, notifies FieldId
    // once the lock is released. True when the value changed. An equal value is no change:
    // the grid neither moves the row nor starts the fading highlight.
    template <class T, int FieldId, class Value>
    bool Write(Field<T, FieldId>& field, Value&& value)
    {
        {
            std::lock_guard lock(m_lock);
            if (field.m_value == value)
                return false;
            field.m_value = std::forward<Value>(value);
        }
        NotifyUpdate(FieldId);
        return true;
    }

private:
    mutable std::mutex m_lock; // guards the value of every Field of this object
};

} // namespace Ombrel::Common
