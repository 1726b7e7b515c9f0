// Golden stored files of the non-visual layer: every format with non-default options, a data
// object with a value of every kind, and a dynamic object with declared and undeclared values.
// Each test loads the committed bytes into a fresh object, checks every stored field, and
// stores again: the bytes must be the file's, byte for byte.

#include "SampleDataObject.h"
#include "StoredFiles.h"

#include "ombrel/Common.h"

#include <gtest/gtest.h>

#include <string>

namespace Ombrel::Common {
namespace {

using Ombrel::Testing::GoldenBytes;
using Ombrel::Testing::StoredBytes;

template <class Storable>
StoredBytes SerializedBytes(Storable& storable)
{
    CSerializer store(false);
    storable.Serialize(store);
    StoredBytes bytes(static_cast<std::size_t>(store.GetSize()));
    store.GetData(reinterpret_cast<char*>(bytes.data()));
    return bytes;
}

template <class Storable>
void RestoreFrom(Storable& storable, const StoredBytes& bytes)
{
    CSerializer restore(true);
    restore.SetData(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()));
    storable.Serialize(restore);
}

// Loads the golden file of `built` into `fresh` and checks that `fresh` stores the same bytes.
// The caller then checks fresh's options one by one.
void LoadGoldenFormat(const std::string& name, CFormat& built, CFormat& fresh)
{
    const StoredBytes golden = GoldenBytes("formats/" + name + ".bin", SerializedBytes(built));
    ASSERT_FALSE(golden.empty());
    RestoreFrom(fresh, golden);
    EXPECT_EQ(SerializedBytes(fresh), golden) << name;
}

TEST(StoredFilesTest, WideIntegerFormatsLoadEveryOption)
{
    CLongFormat longFormat(fmHex, false, '.', false, true);
    CLongFormat longRestored;
    LoadGoldenFormat("CLongFormat", longFormat, longRestored);
    EXPECT_EQ(longRestored.GetMode(), fmHex);
    EXPECT_FALSE(longRestored.GetShowZero());
    EXPECT_EQ(longRestored.GetSeparator(), '.');
    EXPECT_FALSE(longRestored.GetHexPrefix());
    EXPECT_TRUE(longRestored.GetHexZeroPad());

    CULongFormat ulongFormat(fmDecimal, false, '\'', false, true);
    CULongFormat ulongRestored;
    LoadGoldenFormat("CULongFormat", ulongFormat, ulongRestored);
    EXPECT_EQ(ulongRestored.GetMode(), fmDecimal);
    EXPECT_FALSE(ulongRestored.GetShowZero());
    EXPECT_EQ(ulongRestored.GetSeparator(), '\'');
    EXPECT_FALSE(ulongRestored.GetHexPrefix());
    EXPECT_TRUE(ulongRestored.GetHexZeroPad());

    CInt64Format int64Format(fmHex, false, '_', false, true);
    CInt64Format int64Restored;
    LoadGoldenFormat("CInt64Format", int64Format, int64Restored);
    EXPECT_EQ(int64Restored.GetMode(), fmHex);
    EXPECT_FALSE(int64Restored.GetShowZero());
    EXPECT_EQ(int64Restored.GetSeparator(), '_');
    EXPECT_FALSE(int64Restored.GetHexPrefix());
    EXPECT_TRUE(int64Restored.GetHexZeroPad());

    CShortFormat shortFormat(fmHex, false, ',', false, true);
    CShortFormat shortRestored;
    LoadGoldenFormat("CShortFormat", shortFormat, shortRestored);
    EXPECT_EQ(shortRestored.GetMode(), fmHex);
    EXPECT_FALSE(shortRestored.GetShowZero());
    EXPECT_EQ(shortRestored.GetSeparator(), ',');
    EXPECT_FALSE(shortRestored.GetHexPrefix());
    EXPECT_TRUE(shortRestored.GetHexZeroPad());

    CUShortFormat ushortFormat(fmDecimal, false, ':', false, true);
    CUShortFormat ushortRestored;
    LoadGoldenFormat("CUShortFormat", ushortFormat, ushortRestored);
    EXPECT_EQ(ushortRestored.GetMode(), fmDecimal);
    EXPECT_FALSE(ushortRestored.GetShowZero());
    EXPECT_EQ(ushortRestored.GetSeparator(), ':');
    EXPECT_FALSE(ushortRestored.GetHexPrefix());
    EXPECT_TRUE(ushortRestored.GetHexZeroPad());
}

TEST(StoredFilesTest, CharacterFormatsLoadEveryOption)
{
    CCharFormat charFormat(fmHex, false, false, false);
    CCharFormat charRestored;
    LoadGoldenFormat("CCharFormat", charFormat, charRestored);
    EXPECT_EQ(charRestored.GetMode(), fmHex);
    EXPECT_FALSE(charRestored.GetShowZero());
    EXPECT_FALSE(charRestored.GetHexPrefix());
    EXPECT_FALSE(charRestored.GetHexZeroPad());

    CUCharFormat ucharFormat(fmDecimal, false, false, false);
    CUCharFormat ucharRestored;
    LoadGoldenFormat("CUCharFormat", ucharFormat, ucharRestored);
    EXPECT_EQ(ucharRestored.GetMode(), fmDecimal);
    EXPECT_FALSE(ucharRestored.GetShowZero());
    EXPECT_FALSE(ucharRestored.GetHexPrefix());
    EXPECT_FALSE(ucharRestored.GetHexZeroPad());
}

TEST(StoredFilesTest, RealNumberFormatsLoadEveryOption)
{
    CDoubleFormat doubleFormat(6, true, false, '$', '%', '\'');
    CDoubleFormat doubleRestored;
    LoadGoldenFormat("CDoubleFormat", doubleFormat, doubleRestored);
    EXPECT_EQ(doubleRestored.GetPrecision(), 6);
    EXPECT_TRUE(doubleRestored.GetTrailingZeros());
    EXPECT_FALSE(doubleRestored.GetShowZero());
    EXPECT_EQ(doubleRestored.GetPrefix(), '$');
    EXPECT_EQ(doubleRestored.GetSuffix(), '%');
    EXPECT_EQ(doubleRestored.GetSeparator(), '\'');

    CFloatFormat floatFormat(4, true, false, '#', 'k', '.');
    CFloatFormat floatRestored;
    LoadGoldenFormat("CFloatFormat", floatFormat, floatRestored);
    EXPECT_EQ(floatRestored.GetPrecision(), 4);
    EXPECT_TRUE(floatRestored.GetTrailingZeros());
    EXPECT_FALSE(floatRestored.GetShowZero());
    EXPECT_EQ(floatRestored.GetPrefix(), '#');
    EXPECT_EQ(floatRestored.GetSuffix(), 'k');
    EXPECT_EQ(floatRestored.GetSeparator(), '.');
}

TEST(StoredFilesTest, DateAndTimeFormatsLoadTheirFlagsAndSuffixes)
{
    // Year (four digits), month, day, hour, minute, second and milliseconds.
    constexpr std::int32_t kEverything = 0xFD;
    CInt64DateFormat int64Date(kEverything);
    CInt64DateFormat int64Restored;
    LoadGoldenFormat("CInt64DateFormat", int64Date, int64Restored);
    EXPECT_EQ(int64Restored.GetFlags(), kEverything);

    // CLongDateFormat shows its flags only through its text: compare with the stored flags'.
    CLongDateFormat longDate(kEverything & ~0x80);
    CLongDateFormat longRestored;
    LoadGoldenFormat("CLongDateFormat", longDate, longRestored);
    const std::int32_t someSeconds = 1'000'000'000;
    EXPECT_EQ(longRestored.FormatStl(someSeconds), CLongDateFormat(kEverything & ~0x80).FormatStl(someSeconds));
    EXPECT_NE(longRestored.FormatStl(someSeconds), CLongDateFormat().FormatStl(someSeconds));

    CLongMsecTimeFormat time(CLongMsecTimeFormat::kDays | CLongMsecTimeFormat::kHours |
                                 CLongMsecTimeFormat::kMinutes,
                             true, " h", " days");
    CLongMsecTimeFormat timeRestored;
    LoadGoldenFormat("CLongMsecTimeFormat", time, timeRestored);
    EXPECT_EQ(timeRestored.GetFlags(), CLongMsecTimeFormat::kDays | CLongMsecTimeFormat::kHours |
                                           CLongMsecTimeFormat::kMinutes);
    // Leading zeros and both suffixes show in the text of 1 day, 2 h 3 min.
    const std::int32_t duration = ((24 + 2) * 60 + 3) * 60 * 1000;
    EXPECT_EQ(timeRestored.FormatStl(duration), time.FormatStl(duration));
    EXPECT_NE(timeRestored.FormatStl(duration).find(" days"), std::string::npos);
    EXPECT_NE(timeRestored.FormatStl(duration).find(" h"), std::string::npos);
}

TEST(StoredFilesTest, EnumerationKeepsItsTableOrderAndNames)
{
    CLongEnumFormat names;
    names.AddItem(30, "thirty");
    names.AddItem(-5, "minus five");
    names.AddItem(10, "");
    names.AddItem(2'000'000'000, "large");
    CLongEnumFormat restored;
    restored.AddItem(1, "replaced");
    LoadGoldenFormat("CLongEnumFormat", names, restored);
    CLongEnumFormat::ItemList items;
    restored.GetItems(items);
    const CLongEnumFormat::ItemList expected = {
        {30, "thirty"}, {-5, "minus five"}, {10, ""}, {2'000'000'000, "large"}};
    EXPECT_EQ(items, expected);
}

TEST(StoredFilesTest, FormatsWithoutOptionsStoreTheirVersionOnly)
{
    CBoolFormat boolFormat;
    CBoolFormat boolRestored;
    LoadGoldenFormat("CBoolFormat", boolFormat, boolRestored);
    CDefaultMfcStringFormat mfcString;
    CDefaultMfcStringFormat mfcRestored;
    LoadGoldenFormat("CDefaultMfcStringFormat", mfcString, mfcRestored);
    CDefaultStlStringFormat stlString;
    CDefaultStlStringFormat stlRestored;
    LoadGoldenFormat("CDefaultStlStringFormat", stlString, stlRestored);
    CEmptyFormat empty;
    CEmptyFormat emptyRestored;
    LoadGoldenFormat("CEmptyFormat", empty, emptyRestored);
    EXPECT_EQ(SerializedBytes(emptyRestored), (StoredBytes{1, 0, 0, 0}));
}

TEST(StoredFilesTest, DataObjectLoadsAValueOfEveryKind)
{
    using namespace Testing;
    CSampleObject built;
    built.SetName("Zürich");
    built.SetLabel("label with\ttab");
    built.SetLetter('q');
    built.SetByte(200);
    built.SetSmall(-12345);
    built.SetSmallU(54321);
    built.SetCount(-2'000'000'000);
    built.SetMask(0xDEADBEEF);
    built.SetBig(-9'000'000'000'000'000'000);
    built.SetFlag(true);
    built.SetRatio(0.15625f);
    built.SetPrice(-1234.5678);
    built.SetHandle(OpaqueValue{77}); // not stored: an opaque value has no stored form
    built.SetFormatted(42);
    const StoredBytes golden = GoldenBytes("data_object.bin", SerializedBytes(built));

    CSampleObject restored;
    RestoreFrom(restored, golden);
    EXPECT_EQ(restored.GetName(), CString("Zürich"));
    EXPECT_EQ(restored.GetLabel(), "label with\ttab");
    EXPECT_EQ(restored.GetLetter(), 'q');
    EXPECT_EQ(restored.GetByte(), 200);
    EXPECT_EQ(restored.GetSmall(), -12345);
    EXPECT_EQ(restored.GetSmallU(), 54321);
    EXPECT_EQ(restored.GetCount(), -2'000'000'000);
    EXPECT_EQ(restored.GetMask(), 0xDEADBEEFu);
    EXPECT_EQ(restored.GetBig(), -9'000'000'000'000'000'000);
    EXPECT_TRUE(restored.GetFlag());
    EXPECT_EQ(restored.GetRatio(), 0.15625f);
    EXPECT_EQ(restored.GetPrice(), -1234.5678);
    EXPECT_EQ(restored.GetHandle(), OpaqueValue{});
    EXPECT_EQ(restored.GetFormatted(), 42);
    EXPECT_EQ(SerializedBytes(restored), golden);
}

TEST(StoredFilesTest, DynamicObjectLoadsDeclaredAndUndeclaredValues)
{
    CDynamicObject built(false);
    built.AddField(new CField(5, "Declared", vtStlString));
    built.SetValue(5, CValue(std::string("declared text")));
    built.SetValue(9, CValue(std::int64_t{-77}));
    built.SetValue(300, CValue(2.75));
    built.SetValue(-40, CValue(CString("negative id")));
    built.SetValue(41, CValue(false));
    const StoredBytes golden = GoldenBytes("dynamic_object.bin", SerializedBytes(built));

    CDynamicObject restored(false);
    RestoreFrom(restored, golden);
    EXPECT_EQ(restored.GetValue(5), CValue(std::string("declared text")));
    EXPECT_EQ(restored.GetValue(9), CValue(std::int64_t{-77}));
    EXPECT_EQ(restored.GetValue(300), CValue(2.75));
    EXPECT_EQ(restored.GetValue(-40), CValue(CString("negative id")));
    EXPECT_EQ(restored.GetValue(41), CValue(false));
    EXPECT_EQ(restored.GetFieldType(41), vtBool);
    CDataObject::FieldIdSet ids;
    restored.GetFieldIds(ids);
    EXPECT_EQ(ids.size(), 5u);
    EXPECT_EQ(SerializedBytes(restored), golden);
}

} // namespace
} // namespace Ombrel::Common
