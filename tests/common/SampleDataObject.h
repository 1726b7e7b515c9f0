#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ombrel/Common.h"

namespace Ombrel::Common::Testing {

// Field identifiers of CSampleObject: one field per value kind, plus a read-only field.
enum SampleField : int
{
    kName = 1,        // CString
    kLabel = 2,       // std::string
    kLetter = 3,      // char
    kByte = 4,        // unsigned char
    kSmall = 5,       // short
    kSmallU = 6,      // unsigned short
    kCount = 7,       // std::int32_t
    kMask = 8,        // std::uint32_t
    kBig = 9,         // std::int64_t
    kFlag = 10,       // bool
    kRatio = 11,      // float
    kPrice = 12,      // double
    kHandle = 13,     // OpaqueValue
    kReadOnly = 20,   // std::int32_t without setter
    kFormatted = 21,  // std::int32_t with its own hexadecimal format
};

// A data class with a field of every kind, declared with the declaration macros. Each setter
// stores its value and announces the change, and the destructor announces the destruction
// while the members still exist, as a data class should.
class CSampleObject : public CDataObject
{
    OMBREL_DECLARE_FIELD_MAP()
public:
    CSampleObject() = default;
    CSampleObject(const CSampleObject&) = default;
    ~CSampleObject() override { NotifyDestroy(); }

    CString GetName() const { return m_name; }
    void SetName(const CString& value) { m_name = value; NotifyUpdate(kName); }
    std::string GetLabel() const { return m_label; }
    void SetLabel(const std::string& value) { m_label = value; NotifyUpdate(kLabel); }
    char GetLetter() const { return m_letter; }
    void SetLetter(char value) { m_letter = value; NotifyUpdate(kLetter); }
    unsigned char GetByte() const { return m_byte; }
    void SetByte(unsigned char value) { m_byte = value; NotifyUpdate(kByte); }
    short GetSmall() const { return m_small; }
    void SetSmall(short value) { m_small = value; NotifyUpdate(kSmall); }
    unsigned short GetSmallU() const { return m_smallU; }
    void SetSmallU(unsigned short value) { m_smallU = value; NotifyUpdate(kSmallU); }
    std::int32_t GetCount() const { return m_count; }
    void SetCount(std::int32_t value) { m_count = value; NotifyUpdate(kCount); }
    std::uint32_t GetMask() const { return m_mask; }
    void SetMask(std::uint32_t value) { m_mask = value; NotifyUpdate(kMask); }
    std::int64_t GetBig() const { return m_big; }
    void SetBig(std::int64_t value) { m_big = value; NotifyUpdate(kBig); }
    bool GetFlag() const { return m_flag; }
    void SetFlag(bool value) { m_flag = value; NotifyUpdate(kFlag); }
    float GetRatio() const { return m_ratio; }
    void SetRatio(float value) { m_ratio = value; NotifyUpdate(kRatio); }
    double GetPrice() const { return m_price; }
    void SetPrice(double value) { m_price = value; NotifyUpdate(kPrice); }
    OpaqueValue GetHandle() const { return m_handle; }
    void SetHandle(OpaqueValue value) { m_handle = value; NotifyUpdate(kHandle); }
    std::int32_t GetReadOnly() const { return 77; }
    std::int32_t GetFormatted() const { return m_formatted; }
    void SetFormatted(std::int32_t value) { m_formatted = value; NotifyUpdate(kFormatted); }

private:
    CString m_name;
    std::string m_label;
    char m_letter = 0;
    unsigned char m_byte = 0;
    short m_small = 0;
    unsigned short m_smallU = 0;
    std::int32_t m_count = 0;
    std::uint32_t m_mask = 0;
    std::int64_t m_big = 0;
    bool m_flag = false;
    float m_ratio = 0;
    double m_price = 0;
    OpaqueValue m_handle{};
    std::int32_t m_formatted = 0;
};

// A sink that records what it is told, in order, as text ("update 7", "destroy").
class CRecordingSink final : public CDataObject::ISink
{
public:
    void OnUpdate(int fieldId, CDataObject*) override { m_events.push_back("update " + std::to_string(fieldId)); }
    void OnDestroy(CDataObject*) override { m_events.push_back("destroy"); }
    using CDataObject::ISink::OnUpdate;

    const std::vector<std::string>& Events() const { return m_events; }

private:
    std::vector<std::string> m_events;
};

} // namespace Ombrel::Common::Testing
