#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "ombrel/Common.h"

namespace Ombrel::Common::Testing {

// Field identifiers of CSampleObject: one field per value kind, a read-only field and a field
// with a format of its own.
enum SampleField : int
{
    kName = 1, kLabel, kLetter, kByte, kSmall, kSmallU, kCount, kMask, kBig, kFlag, kRatio, kPrice, kHandle,
    kReadOnly = 20,
    kFormatted = 21,
};

// A getter, a setter that stores and then announces the change, and the member.
#define OMBREL_SAMPLE_VALUE(Type, Name, id)                                                        \
public:                                                                                            \
    Type Get##Name() const { return m_##Name; }                                                    \
    void Set##Name(Type value)                                                                     \
    {                                                                                              \
        m_##Name = std::move(value);                                                               \
        NotifyUpdate(id);                                                                          \
    }                                                                                              \
                                                                                                   \
private:                                                                                           \
    Type m_##Name{};

// A data class with a field of every kind, declared with the declaration macros. Its
// destructor announces the destruction while the members still exist.
class CSampleObject : public CDataObject
{
    OMBREL_DECLARE_FIELD_MAP()
public:
    CSampleObject() = default;
    CSampleObject(const CSampleObject&) = default;
    ~CSampleObject() override { NotifyDestroy(); }
    std::int32_t GetReadOnly() const { return 77; }

    OMBREL_SAMPLE_VALUE(CString, Name, kName)
    OMBREL_SAMPLE_VALUE(std::string, Label, kLabel)
    OMBREL_SAMPLE_VALUE(char, Letter, kLetter)
    OMBREL_SAMPLE_VALUE(unsigned char, Byte, kByte)
    OMBREL_SAMPLE_VALUE(short, Small, kSmall)
    OMBREL_SAMPLE_VALUE(unsigned short, SmallU, kSmallU)
    OMBREL_SAMPLE_VALUE(std::int32_t, Count, kCount)
    OMBREL_SAMPLE_VALUE(std::uint32_t, Mask, kMask)
    OMBREL_SAMPLE_VALUE(std::int64_t, Big, kBig)
    OMBREL_SAMPLE_VALUE(bool, Flag, kFlag)
    OMBREL_SAMPLE_VALUE(float, Ratio, kRatio)
    OMBREL_SAMPLE_VALUE(double, Price, kPrice)
    OMBREL_SAMPLE_VALUE(OpaqueValue, Handle, kHandle)
    OMBREL_SAMPLE_VALUE(std::int32_t, Formatted, kFormatted)
};

#undef OMBREL_SAMPLE_VALUE

// Records what it is told, in order, as text ("update 7", "destroy"), into its own log or a
// log shared by several sinks (then prefixed with the sink's name).
class CRecordingSink final : public CDataObject::ISink
{
public:
    CRecordingSink() = default;
    CRecordingSink(std::vector<std::string>& sharedLog, std::string name) : m_log(&sharedLog), m_name(name + " ") {}

    using CDataObject::ISink::OnUpdate;
    void OnUpdate(int fieldId, CDataObject*) override { m_log->push_back(m_name + "update " + std::to_string(fieldId)); }
    void OnDestroy(CDataObject*) override { m_log->push_back(m_name + "destroy"); }

    const std::vector<std::string>& Events() const { return *m_log; }

private:
    std::vector<std::string> m_ownLog;
    std::vector<std::string>* m_log = &m_ownLog;
    std::string m_name;
};

// Counts calls; safe to be called from several threads.
class CCountingSink final : public CDataObject::ISink
{
public:
    using CDataObject::ISink::OnUpdate;
    void OnUpdate(int, CDataObject*) override { ++updates; }
    void OnDestroy(CDataObject*) override { ++destroys; }

    std::atomic<int> updates = 0;
    std::atomic<int> destroys = 0;
};

// The bytes `object` stores, and a serializer that restores from given bytes.
inline std::vector<char> StoredBytes(CDataObject& object)
{
    CSerializer store(false);
    object.Serialize(store);
    std::vector<char> bytes(static_cast<std::size_t>(store.GetSize()));
    store.GetData(bytes.data());
    return bytes;
}

inline CSerializer RestoringFrom(const std::vector<char>& bytes)
{
    CSerializer restore(true);
    restore.SetData(bytes.data(), static_cast<int>(bytes.size()));
    return restore;
}

} // namespace Ombrel::Common::Testing
