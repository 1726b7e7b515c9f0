#include <gtest/gtest.h>

#include <memory>

#include "SampleDataObject.h"

namespace Ombrel::Common {
namespace {

using Testing::CSampleObject;

// Accessors whose signatures differ from the implied ones but still fit the kind.
class CLooseAccessors : public CDataObject
{
public:
    const CString& GetText() { return m_text; }
    bool SetText(CString value)
    {
        m_text = value;
        return true;
    }
    std::int32_t GetNumber() const noexcept { return m_number; }
    void SetNumber(const std::int32_t& value) { m_number = value; }

    CString m_text;
    std::int32_t m_number = 0;
};

TEST(FieldTest, KindFollowsTheGetterSignature)
{
    EXPECT_EQ(CField(1, "a", &CSampleObject::GetName, nullptr, nullptr, nullptr, nullptr).GetType(), vtMfcString);
    EXPECT_EQ(CField(1, "a", &CSampleObject::GetLabel, nullptr, nullptr, nullptr, nullptr).GetType(), vtStlString);
    EXPECT_EQ(CField(1, "a", &CSampleObject::GetCount, nullptr, nullptr, nullptr, nullptr).GetType(), vtLong);
    EXPECT_EQ(CField(1, "a", &CSampleObject::GetMask, nullptr, nullptr, nullptr, nullptr).GetType(), vtULong);
    EXPECT_EQ(CField(1, "a", &CSampleObject::GetBig, nullptr, nullptr, nullptr, nullptr).GetType(), vtInt64);
    EXPECT_EQ(CField(1, "a", &CSampleObject::GetHandle, nullptr, nullptr, nullptr, nullptr).GetType(), vtOpaque);
    EXPECT_EQ(CField(1, "a", &CLooseAccessors::GetText, &CLooseAccessors::SetText, nullptr, nullptr, nullptr).GetType(),
              vtMfcString);
}

TEST(FieldTest, TextsThatAreEmptyOrStartWithZeroAreNotKept)
{
    const CField field(5000, "0Long", &CSampleObject::GetCount, 0, nullptr, "&CSampleObject::GetCount", "0");
    EXPECT_EQ(field.GetId(), 5000);
    EXPECT_EQ(field.GetName(), "");
    EXPECT_EQ(field.GetGetterText(), "&CSampleObject::GetCount");
    EXPECT_EQ(field.GetSetterText(), "");
    EXPECT_NE(field.GetGetter(), nullptr);
    EXPECT_EQ(field.GetSetter(), nullptr);

    const CField unnamed(1, nullptr, &CSampleObject::GetCount, &CSampleObject::SetCount, nullptr, "", nullptr);
    EXPECT_EQ(unnamed.GetName(), "");
    EXPECT_EQ(unnamed.GetGetterText(), "");
    EXPECT_NE(unnamed.GetSetter(), nullptr);
}

TEST(FieldTest, CloneOwnsAnIndependentFormat)
{
    const CField plain(1, "Plain", &CSampleObject::GetCount, nullptr, nullptr, nullptr, nullptr);
    std::unique_ptr<CField> plainClone(plain.Clone());
    EXPECT_EQ(plainClone->GetFormat(), nullptr);

    CField hex(2, "Hex", &CSampleObject::GetCount, &CSampleObject::SetCount, new CLongFormat(fmHex), "g", "s");
    std::unique_ptr<CField> clone(hex.Clone());
    ASSERT_NE(clone->GetFormat(), nullptr);
    EXPECT_NE(clone->GetFormat(), hex.GetFormat());
    EXPECT_EQ(clone->GetName(), "Hex");
    EXPECT_EQ(clone->GetSetterText(), "s");
    EXPECT_EQ(clone->GetGetter(), hex.GetGetter());
    const std::string cloneText = clone->GetFormat()->FormatStl(std::int32_t{255});
    clone.reset();
    // The source's format survives the clone's destruction and still formats the same way.
    EXPECT_EQ(hex.GetFormat()->FormatStl(std::int32_t{255}), cloneText);
}

TEST(FieldTest, TypedCallsNeedTheFieldsKindAndTheMemberFunction)
{
    CSampleObject object;
    object.SetCount(12);
    const CField readOnly(7, "Count", &CSampleObject::GetCount, nullptr, nullptr, nullptr, nullptr);

    double wrongKind = -1;
    EXPECT_FALSE(readOnly.CallGetter(object, wrongKind));
    EXPECT_EQ(wrongKind, -1);
    std::int32_t count = 0;
    EXPECT_TRUE(readOnly.CallGetter(object, count));
    EXPECT_EQ(count, 12);
    EXPECT_FALSE(readOnly.CallSetter(object, std::int32_t{5}));
    EXPECT_EQ(object.GetCount(), 12);

    const CField described(7, "Count", vtLong);
    EXPECT_FALSE(described.CallGetter(object, count));
    EXPECT_EQ(described.GetValue(object).GetType(), vtLong);
}

TEST(FieldTest, SettersOfAnotherButFittingSignatureAreCalled)
{
    CLooseAccessors object;
    const CField text(1, "Text", &CLooseAccessors::GetText, &CLooseAccessors::SetText, nullptr, nullptr, nullptr);
    const CField number(2, "Number", &CLooseAccessors::GetNumber, &CLooseAccessors::SetNumber, nullptr, nullptr,
                        nullptr);

    EXPECT_TRUE(text.CallSetter(object, CString("abc")));
    EXPECT_TRUE(number.SetValue(object, CValue(std::int32_t{9})));
    EXPECT_EQ(text.GetValue(object).GetString(), "abc");
    EXPECT_EQ(object.m_number, 9);
}

} // namespace
} // namespace Ombrel::Common
