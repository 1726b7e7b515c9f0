#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "SampleDataObject.h"
#include "ombrel/common/DynamicObjectSlot.h"
#include "ombrel/common/DynamicSchema.h"

namespace Ombrel::Common {
namespace {

using namespace Testing;

// Text on both sides of the in-place limit, replaced by text of the other size, by a number
// and by the other string kind: each read gives exactly the bytes stored last, and the heap
// blocks of long text are released (the leak check of the sanitizer build sees any that are
// not).
TEST(DynamicObjectSlotTest, TextInPlaceAndOnTheHeapReadsBackExactly)
{
    const std::string inPlace(CDynamicObjectSlot::kTextInPlace, 'a');
    const std::string onHeap(CDynamicObjectSlot::kTextInPlace + 1, 'b');
    const std::string withZero("x\0y", 3);
    CDynamicObjectSlot slot;
    EXPECT_TRUE(slot.IsEmpty());
    for (const std::string& text : {std::string(), inPlace, onHeap, withZero, onHeap + onHeap, inPlace}) {
        EXPECT_TRUE(slot.SetText(vtStlString, text) || text.empty());
        EXPECT_EQ(slot.GetType(), vtStlString);
        EXPECT_EQ(slot.GetText(), text);
        EXPECT_EQ(slot.Get().GetStdString(), text);
    }
    EXPECT_TRUE(slot.Set(CValue(CString(onHeap))));
    EXPECT_EQ(slot.GetType(), vtMfcString);
    EXPECT_EQ(slot.Get().GetString(), CString(onHeap));
    EXPECT_TRUE(slot.Set(CValue(std::int64_t{-7})));
    EXPECT_EQ(slot.GetText(), "");
    EXPECT_EQ(slot.Get().GetInt64(), -7);
    EXPECT_TRUE(slot.SetText(vtStlString, onHeap));
}

// Storing a text read from the slot itself: the old text must not be released before it is
// copied.
TEST(DynamicObjectSlotTest, TextTakenFromTheSlotItselfSurvivesTheStore)
{
    for (const std::size_t size : {std::size_t{5}, CDynamicObjectSlot::kTextInPlace + 9}) {
        const std::string text(size, 'q');
        CDynamicObjectSlot slot;
        slot.SetText(vtStlString, text);
        EXPECT_TRUE(slot.SetText(vtMfcString, slot.GetText()));
        EXPECT_EQ(slot.GetType(), vtMfcString);
        EXPECT_EQ(slot.GetText(), text);
        EXPECT_TRUE(slot.SetText(vtStlString, slot.GetText().substr(1)));
        EXPECT_EQ(slot.GetText(), text.substr(1));
    }
}

// The change test decides whether the object announces a change: equal values of one kind are
// no change, another kind always is, and a NaN never equals itself.
TEST(DynamicObjectSlotTest, OnlyAnotherKindOrPayloadCountsAsAChange)
{
    CDynamicObjectSlot slot;
    EXPECT_TRUE(slot.Set(CValue()));  // storing over a stored empty value counts
    EXPECT_TRUE(slot.Set(CValue(std::int32_t{3})));
    EXPECT_FALSE(slot.Set(CValue(std::int32_t{3})));
    EXPECT_TRUE(slot.Set(CValue(std::uint32_t{3})));
    EXPECT_TRUE(slot.Set(CValue(OpaqueValue{3})));
    EXPECT_EQ(slot.Get().GetOpaque(), OpaqueValue{3});
    EXPECT_TRUE(slot.SetText(vtStlString, "Lyon"));
    EXPECT_FALSE(slot.SetText(vtStlString, "Lyon"));
    EXPECT_FALSE(slot.Set(CValue(std::string("Lyon"))));
    EXPECT_TRUE(slot.SetText(vtMfcString, "Lyon"));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(slot.Set(CValue(nan)));
    EXPECT_TRUE(slot.Set(CValue(nan)));
    EXPECT_TRUE(std::isnan(slot.Get().GetDouble()));
    EXPECT_TRUE(slot.Set(CValue(short{-2})));
    EXPECT_EQ(slot.Get().GetShort(), -2);
    EXPECT_TRUE(slot.Set(CValue(true)));
    EXPECT_TRUE(slot.Get().GetBool());
}

// Through the object: text of a schema's field reads back by either getter only in its own
// kind, and re-storing the same text announces nothing.
TEST(DynamicObjectSlotTest, SchemaTextIsReadInItsKindAndAnnouncedOnlyWhenItChanges)
{
    std::vector<std::unique_ptr<CField>> fields;
    fields.emplace_back(new CField(1, "City", vtStlString));
    fields.emplace_back(new CField(2, "Note", vtMfcString));
    CRecordingSink sink;
    const auto object = CDynamicObject::Create(CDynamicSchema::Create(std::move(fields)), true);
    object->Subscribe(&sink);

    const std::string longNote = "a note longer than the slot holds in place";
    EXPECT_TRUE(object->SetStdString(1, "Oslo"));
    EXPECT_TRUE(object->SetStdString(1, "Oslo"));
    EXPECT_TRUE(object->SetString(2, CString(longNote)));
    EXPECT_TRUE(object->SetString(2, CString(longNote)));
    EXPECT_EQ(sink.Events(), (std::vector<std::string>{"update 1", "update 2"}));

    EXPECT_EQ(object->GetStdString(1), "Oslo");
    EXPECT_EQ(object->GetString(1), CString());
    EXPECT_EQ(object->GetString(2), CString(longNote));
    EXPECT_EQ(object->GetStdString(2), "");
    EXPECT_EQ(object->GetFormattedValue(1), "Oslo");
    EXPECT_EQ(object->GetValue(2).GetString(), CString(longNote));
    object->Unsubscribe(&sink);
}

} // namespace
} // namespace Ombrel::Common
