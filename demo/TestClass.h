#pragma once

#include <cstdint>
#include <mutex>

#include "ombrel/Common.h"

namespace Ombrel::Demo {

// The demonstration's data class: a named object with a few numeric values, a date and a city.
// The grid reads and writes the values through the field map declared in TestClass.cpp.
//
// Threads: the live-update workers call the setters while the window thread reads the values
// for painting and sorting, so every value is read and written under the object's own lock.
// A setter releases the lock before it announces the change: sinks may read the object back.
class CTestClass : public Common::CDataObject
{
    OMBREL_DECLARE_FIELD_MAP()
public:
    // Field identifiers.
    static constexpr int kNameField = 1234;
    static constexpr int kLongField = 5000;
    static constexpr int kInt64Field = 5001;
    static constexpr int kDoubleField = 5002;
    static constexpr int kDateField = 5003;
    static constexpr int kCityField = 5004;
    static constexpr int kCheckedField = 5005; // a bool: shown and toggled as a check box

    // City codes of the city field's table; kLondon has a name but is never drawn at random.
    enum City : std::int32_t { kParis = 0, kToronto, kNewYork, kTokio, kFrankfurt, kLondon };
    static constexpr int kRandomCityCount = 5;

    // The date is the current time; the city is rand() % kRandomCityCount.
    CTestClass(const CString& name, std::int32_t someLong, std::int64_t someInt64, double someDouble);
    ~CTestClass() override { NotifyDestroy(); } // sinks still see the members
    CTestClass(const CTestClass&) = delete;
    CTestClass& operator=(const CTestClass&) = delete;

    CString GetName() const;
    std::int32_t GetSomeLong() const;
    std::int64_t GetSomeInt64() const;
    double GetSomeDouble() const;
    std::int32_t GetSomeDate() const; // seconds since 1970-01-01 00:00:00 UTC
    std::int32_t GetSomeEnum() const; // a City code, or any other value a setter stored
    bool IsChecked() const;           // false for a new object

    // Each setter stores the value and then notifies its own field.
    void SetSomeLong(std::int32_t value);
    void SetSomeInt64(std::int64_t value);
    void SetSomeDouble(double value);
    void SetSomeDate(std::int32_t value);
    void SetSomeEnum(std::int32_t value);
    void SetChecked(bool value);

private:
    template <class Value>
    void Store(Value& member, Value value, int fieldId);

    mutable std::mutex m_lock; // guards every member below
    CString m_name;            // set once by the constructor
    std::int32_t m_someLong = 0;
    std::int64_t m_someInt64 = 0;
    double m_someDouble = 0.0;
    std::int32_t m_someDate = 0;
    std::int32_t m_someEnum = kParis;
    bool m_checked = false;
};

} // namespace Ombrel::Demo
