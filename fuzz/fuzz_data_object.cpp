// Restores data objects from arbitrary bytes: a compiled class with a field of every kind
// and a dynamic object, whose value store grows with what the stream holds. The first byte
// picks the target; the rest is the stream. Restoring must end in a value or in the
// serializer's exception, never in a crash, an overread or an unbounded loop or allocation.

#include <cstddef>
#include <cstdint>
#include <string>

#include "ombrel/Common.h"

namespace {

using namespace Ombrel;
using namespace Ombrel::Common;

class CFuzzObject : public CDataObject
{
    OMBREL_DECLARE_FIELD_MAP()
public:
    CString GetText() const { return m_text; }
    void SetText(const CString& value) { m_text = value; }
    std::string GetLabel() const { return m_label; }
    void SetLabel(const std::string& value) { m_label = value; }
    char GetLetter() const { return m_letter; }
    void SetLetter(char value) { m_letter = value; }
    unsigned char GetByte() const { return m_byte; }
    void SetByte(unsigned char value) { m_byte = value; }
    short GetSmall() const { return m_small; }
    void SetSmall(short value) { m_small = value; }
    unsigned short GetSmallU() const { return m_smallU; }
    void SetSmallU(unsigned short value) { m_smallU = value; }
    std::int32_t GetCount() const { return m_count; }
    void SetCount(std::int32_t value) { m_count = value; }
    std::uint32_t GetMask() const { return m_mask; }
    void SetMask(std::uint32_t value) { m_mask = value; }
    std::int64_t GetBig() const { return m_big; }
    void SetBig(std::int64_t value) { m_big = value; }
    bool GetFlag() const { return m_flag; }
    void SetFlag(bool value) { m_flag = value; }
    float GetRatio() const { return m_ratio; }
    void SetRatio(float value) { m_ratio = value; }
    double GetPrice() const { return m_price; }
    void SetPrice(double value) { m_price = value; }
    OpaqueValue GetHandle() const { return m_handle; }
    void SetHandle(OpaqueValue value) { m_handle = value; }

private:
    CString m_text;
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
};

OMBREL_BEGIN_FIELD_MAP(CFuzzObject)
    OMBREL_FIELD(1, "Text", &CFuzzObject::GetText, &CFuzzObject::SetText)
    OMBREL_FIELD(2, "Label", &CFuzzObject::GetLabel, &CFuzzObject::SetLabel)
    OMBREL_FIELD(3, "Letter", &CFuzzObject::GetLetter, &CFuzzObject::SetLetter)
    OMBREL_FIELD(4, "Byte", &CFuzzObject::GetByte, &CFuzzObject::SetByte)
    OMBREL_FIELD(5, "Small", &CFuzzObject::GetSmall, &CFuzzObject::SetSmall)
    OMBREL_FIELD(6, "SmallU", &CFuzzObject::GetSmallU, &CFuzzObject::SetSmallU)
    OMBREL_FIELD(7, "Count", &CFuzzObject::GetCount, &CFuzzObject::SetCount)
    OMBREL_FIELD(8, "Mask", &CFuzzObject::GetMask, &CFuzzObject::SetMask)
    OMBREL_FIELD(9, "Big", &CFuzzObject::GetBig, &CFuzzObject::SetBig)
    OMBREL_FIELD(10, "Flag", &CFuzzObject::GetFlag, &CFuzzObject::SetFlag)
    OMBREL_FIELD(11, "Ratio", &CFuzzObject::GetRatio, &CFuzzObject::SetRatio)
    OMBREL_FIELD(12, "Price", &CFuzzObject::GetPrice, &CFuzzObject::SetPrice)
    OMBREL_FIELD(13, "Handle", &CFuzzObject::GetHandle, &CFuzzObject::SetHandle)
OMBREL_END_FIELD_MAP()

// Reads back everything the object now holds, as text, so that restored values are used.
std::size_t Touch(CDataObject& object)
{
    CDataObject::FieldIdSet ids;
    object.GetFieldIds(ids);
    std::size_t total = 0;
    for (int id : ids)
        total += object.GetFormattedValue(id).size();
    return total;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    CSerializer restore(true);
    restore.SetData(reinterpret_cast<const char*>(data + 1), static_cast<int>(size - 1));

    CFuzzObject compiled;
    CDynamicObject dynamic(true);
    CDataObject& target = (data[0] & 1) ? static_cast<CDataObject&>(dynamic) : compiled;
    try
    {
        target.Serialize(restore);
    }
    catch (const CSerializer::SerializationException&)
    {
        // A short or hostile stream ends here; what was restored before stays valid.
    }
    volatile std::size_t sink = Touch(target);
    static_cast<void>(sink);
    return 0;
}
