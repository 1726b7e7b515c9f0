#include "ombrel/base/Archive.h"
#include "ombrel/base/Object.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace Ombrel::ArchiveTests {

using Bytes = std::vector<std::uint8_t>;

class CPointRecord : public CObject
{
    DECLARE_SERIAL(CPointRecord)
public:
    std::int32_t x = 0;
    std::string label;

    void Serialize(CArchive& ar) override
    {
        if (ar.IsStoring()) {
            ar << x << label;
        } else {
            ar >> x >> label;
        }
    }
};
IMPLEMENT_SERIAL(CPointRecord, CObject, 2)

class CNamedPointRecord : public CPointRecord
{
    DECLARE_SERIAL(CNamedPointRecord)
};
IMPLEMENT_SERIAL(CNamedPointRecord, CPointRecord, 1)

CArchiveException::Cause CauseOfLoading(const Bytes& bytes, void (*load)(CArchive&))
{
    CArchive ar(bytes, CArchive::load);
    try {
        load(ar);
    } catch (const CArchiveException& e) {
        return e.GetCause();
    }
    return CArchiveException::none;
}

TEST(ArchiveTest, IntegersAreLittleEndianAtTheirWidth)
{
    CArchive ar(CArchive::store);
    ar << std::int16_t(-2) << std::uint32_t(0x01020304) << std::int64_t(0x1122334455667788)
       << true << std::uint8_t(7) << 1.0f;
    const Bytes expected = {0xFE, 0xFF, 0x04, 0x03, 0x02, 0x01, 0x88, 0x77, 0x66, 0x55, 0x44,
                            0x33, 0x22, 0x11, 0x01, 0x07, 0x00, 0x00, 0x80, 0x3F};
    EXPECT_EQ(ar.GetBuffer(), expected);

    CArchive in(ar.GetBuffer(), CArchive::load);
    std::int16_t a = 0;
    std::uint32_t b = 0;
    std::int64_t c = 0;
    bool d = false;
    std::uint8_t e = 0;
    float f = 0;
    in >> a >> b >> c >> d >> e >> f;
    EXPECT_EQ(a, -2);
    EXPECT_EQ(b, 0x01020304u);
    EXPECT_EQ(c, 0x1122334455667788);
    EXPECT_TRUE(d);
    EXPECT_EQ(e, 7);
    EXPECT_EQ(f, 1.0f);
    EXPECT_EQ(in.GetRemaining(), 0u);
}

struct StringCase
{
    std::size_t length;
    Bytes prefix;
};

class ArchiveStringTest : public ::testing::TestWithParam<StringCase>
{
};

TEST_P(ArchiveStringTest, RoundTripsWithTheLengthPrefixOfItsSize)
{
    const StringCase& c = GetParam();
    std::string text(c.length, 'a');
    for (std::size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char>('a' + i % 26);
    }
    CArchive ar(CArchive::store);
    ar << CString(text);
    const Bytes& bytes = ar.GetBuffer();
    ASSERT_EQ(bytes.size(), c.prefix.size() + c.length);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + static_cast<long>(c.prefix.size())), c.prefix);

    CArchive in(bytes, CArchive::load);
    CString back;
    in >> back;
    EXPECT_EQ(back.ToStdString(), text);
    EXPECT_EQ(in.GetRemaining(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, ArchiveStringTest,
    ::testing::Values(StringCase{0, {0x00}}, StringCase{254, {0xFE}},
                      StringCase{255, {0xFF, 0xFF, 0x00}}, StringCase{65533, {0xFF, 0xFD, 0xFF}},
                      StringCase{65534, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
                      StringCase{70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}}));

TEST(ArchiveTest, WideStringMarkerIsRefused)
{
    const auto cause = CauseOfLoading({0xFF, 0xFE, 0xFF, 0x01, 0x00, 'a'},
                                      [](CArchive& ar) { ar.ReadString(); });
    EXPECT_EQ(cause, CArchiveException::genericException);
}

TEST(ArchiveTest, TruncatedInputRaisesEndOfFile)
{
    auto readInt = [](CArchive& ar) {
        std::int32_t v;
        ar >> v;
    };
    auto readString = [](CArchive& ar) { ar.ReadString(); };
    EXPECT_EQ(CauseOfLoading({0x01, 0x02, 0x03}, readInt), CArchiveException::endOfFile);
    EXPECT_EQ(CauseOfLoading({0x05, 'a', 'b'}, readString), CArchiveException::endOfFile);
    EXPECT_EQ(CauseOfLoading({0xFF, 0x10}, readString), CArchiveException::endOfFile);
    // A forged 4 GiB length must fail on the length check, not on an allocation.
    EXPECT_EQ(CauseOfLoading({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'x'}, readString),
              CArchiveException::endOfFile);
}

TEST(ArchiveTest, WrongDirectionIsRefused)
{
    CArchive out(CArchive::store);
    std::int32_t v = 0;
    try {
        out >> v;
        FAIL() << "loading from a storing archive";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.GetCause(), CArchiveException::writeOnly);
    }
    CArchive in(Bytes{1, 2, 3, 4}, CArchive::load);
    try {
        in << v;
        FAIL() << "storing into a loading archive";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.GetCause(), CArchiveException::readOnly);
    }
}

TEST(ArchiveTest, RepeatedClassIsWrittenAsTwoByteReference)
{
    CArchive ar(CArchive::store);
    ar.WriteClass(RUNTIME_CLASS(CPointRecord));
    const std::size_t first = ar.GetBuffer().size();
    ar.WriteClass(RUNTIME_CLASS(CNamedPointRecord));
    ar.WriteClass(RUNTIME_CLASS(CPointRecord));
    ar.WriteClass(RUNTIME_CLASS(CNamedPointRecord));
    const Bytes& bytes = ar.GetBuffer();
    EXPECT_EQ(first, 2u + 4u + 1u + std::string("CPointRecord").size());
    const Bytes tail(bytes.end() - 4, bytes.end());
    EXPECT_EQ(tail, (Bytes{0x01, 0x80, 0x02, 0x80}));

    CArchive in(bytes, CArchive::load);
    std::uint32_t schema = 0;
    EXPECT_EQ(in.ReadClass(nullptr, &schema), RUNTIME_CLASS(CPointRecord));
    EXPECT_EQ(schema, 2u);
    EXPECT_EQ(in.ReadClass(), RUNTIME_CLASS(CNamedPointRecord));
    EXPECT_EQ(in.ReadClass(), RUNTIME_CLASS(CPointRecord));
    EXPECT_EQ(in.ReadClass(RUNTIME_CLASS(CPointRecord)), RUNTIME_CLASS(CNamedPointRecord));
}

TEST(ArchiveTest, ObjectsAreRecreatedByClassName)
{
    CPointRecord point;
    point.x = 42;
    point.label = "here";
    CNamedPointRecord named;
    named.x = -1;
    CArchive ar(CArchive::store);
    ar.WriteObject(&point);
    ar.WriteObject(nullptr);
    ar.WriteObject(&named);

    CArchive in(ar.GetBuffer(), CArchive::load);
    auto first = in.ReadObject(RUNTIME_CLASS(CPointRecord));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetRuntimeClass(), RUNTIME_CLASS(CPointRecord));
    EXPECT_EQ(static_cast<CPointRecord&>(*first).x, 42);
    EXPECT_EQ(static_cast<CPointRecord&>(*first).label, "here");
    EXPECT_EQ(in.ReadObject(), nullptr);
    auto third = in.ReadObject();
    ASSERT_NE(third, nullptr);
    EXPECT_TRUE(third->IsKindOf(RUNTIME_CLASS(CPointRecord)));
    EXPECT_EQ(static_cast<CPointRecord&>(*third).x, -1);
    EXPECT_EQ(in.GetRemaining(), 0u);
}

Bytes ClassRecord(std::uint32_t schema, const std::string& name)
{
    CArchive ar(CArchive::store);
    ar << std::uint16_t(0xFFFF) << schema << name;
    return ar.GetBuffer();
}

TEST(ArchiveTest, UnknownClassReadsAsNullButStaysAddressable)
{
    Bytes bytes = ClassRecord(1, "NoSuchClass");
    bytes.push_back(0x01);
    bytes.push_back(0x80);
    CArchive in(bytes, CArchive::load);
    EXPECT_EQ(in.ReadClass(), nullptr);
    EXPECT_EQ(in.ReadClass(), nullptr);
    EXPECT_EQ(in.GetRemaining(), 0u);

    EXPECT_EQ(CauseOfLoading(ClassRecord(1, "NoSuchClass"), [](CArchive& ar) { ar.ReadObject(); }),
              CArchiveException::badClass);
}

TEST(ArchiveTest, ClassNameWithEmbeddedZeroDoesNotMatchItsPrefix)
{
    CArchive in(ClassRecord(1, std::string("CPointRecord\0x", 14)), CArchive::load);
    EXPECT_EQ(in.ReadClass(), nullptr);
}

TEST(ArchiveTest, MalformedClassRecordsRaiseTheirCause)
{
    auto readClass = [](CArchive& ar) { ar.ReadClass(); };
    EXPECT_EQ(CauseOfLoading(ClassRecord(3, "CPointRecord"), readClass),
              CArchiveException::badSchema);
    EXPECT_EQ(CauseOfLoading({0x01, 0x80}, readClass), CArchiveException::badIndex);
    EXPECT_EQ(CauseOfLoading({0x34, 0x12}, readClass), CArchiveException::badIndex);
    EXPECT_EQ(CauseOfLoading(ClassRecord(1, "CNamedPointRecord"),
                             [](CArchive& ar) { ar.ReadClass(RUNTIME_CLASS(CPointRecord)); }),
              CArchiveException::none);
    EXPECT_EQ(CauseOfLoading(ClassRecord(1, "CPointRecord"),
                             [](CArchive& ar) { ar.ReadClass(RUNTIME_CLASS(CNamedPointRecord)); }),
              CArchiveException::badClass);
}

TEST(ArchiveTest, FileArchiveRoundTrips)
{
    char path[] = "/tmp/ombrel-archive-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    {
        CArchive out(path, CArchive::store);
        out << std::int32_t(5) << CString("file");
        out.Close();
    }
    {
        CArchive in(path, CArchive::load);
        EXPECT_EQ(in.GetRemaining(), 9u);
        std::int32_t v = 0;
        CString s;
        in >> v >> s;
        EXPECT_EQ(v, 5);
        EXPECT_EQ(s, "file");
        EXPECT_THROW(in >> v, CArchiveException);
    }
    std::remove(path);
    EXPECT_THROW(CArchive("/nonexistent-dir/x", CArchive::load), CArchiveException);
}

} // namespace Ombrel::ArchiveTests
