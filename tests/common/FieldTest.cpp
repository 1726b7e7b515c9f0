#include <gtest/gtest.h>

#include <memory>

#include "SampleDataObject.h"

namespace Ombrel::Common {
namespace {

using namespace Testing;

TEST(FieldTest, TextsThatAreEmptyOrStartWithZeroAreNotKept)
{
    const CField field(5000, "0Long", &CSampleObject::GetCount, 0, nullptr, "&CSampleObject::GetCount", "0");
    EXPECT_EQ(field.GetName(), "");
    EXPECT_EQ(field.GetGetterText(), "&CSampleObject::GetCount");
    EXPECT_EQ(field.GetSetterText(), "");
    EXPECT_EQ(field.GetSetter(), nullptr);

    const CField unnamed(1, nullptr, &CSampleObject::GetCount, &CSampleObject::SetCount, nullptr, "", nullptr);
    EXPECT_EQ(unnamed.GetName(), "");
    EXPECT_EQ(unnamed.GetGetterText(), "");
    EXPECT_NE(unnamed.GetSetter(), nullptr);
}

TEST(FieldTest, CloneOwnsAnIndependentFormat)
{
    const CField plain(1, "Plain", &CSampleObject::GetCount, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(std::unique_ptr<CField>(plain.Clone())->GetFormat(), nullptr);

    CField hex(2, "Hex", &CSampleObject::GetCount, &CSampleObject::SetCount, new CLongFormat(fmHex), "g", "s");
    std::unique_ptr<CField> clone(hex.Clone());
    ASSERT_NE(clone->GetFormat(), nullptr);
    EXPECT_NE(clone->GetFormat(), hex.GetFormat());
    EXPECT_EQ(clone->GetSetterText(), "s");
    const std::string cloneText = clone->GetFormat()->FormatStl(std::int32_t{255});
    clone.reset();
    // The source's format survives the clone's destruction and still formats the same way.
    EXPECT_EQ(hex.GetFormat()->FormatStl(std::int32_t{255}), cloneText);
}

// A getter returning a reference and a setter with a status result still fit their kind.
class CLooseAccessors : public CDataObject
{
public:
    const CString& GetText() { return m_text; }
    bool SetText(const CString& value) { return !(m_text = value).IsEmpty(); }
    CString m_text;
};

TEST(FieldTest, AccessorsOfAFittingSignatureAreCalled)
{
    CLooseAccessors object;
    const CField text(1, "Text", &CLooseAccessors::GetText, &CLooseAccessors::SetText, nullptr, nullptr, nullptr);
    EXPECT_EQ(text.GetType(), vtMfcString);
    EXPECT_TRUE(text.CallSetter(object, CString("abc")));
    EXPECT_EQ(text.GetValue(object).GetString(), "abc");
    std::int32_t wrongKind = -1;
    EXPECT_FALSE(text.CallGetter(object, wrongKind));
    EXPECT_EQ(wrongKind, -1);
}

} // namespace
} // namespace Ombrel::Common
