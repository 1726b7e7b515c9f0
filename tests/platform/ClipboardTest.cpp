// The clipboard through the real QClipboard of the offscreen platform. Qt stands for "another
// application": what the tests read or place with QClipboard is what other programs see.

#include "ombrel/platform/Clipboard.h"

#include "ombrel/platform/Wnd.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <cstring>
#include <future>
#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace Ombrel::Test {
namespace {

using namespace std::string_literals;

// A block owned by the caller, holding `bytes` exactly.
HGLOBAL BlockHolding(const std::string& bytes)
{
    HGLOBAL block = GlobalAlloc(GMEM_FIXED, bytes.size());
    std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
    GlobalUnlock(block);
    return block;
}

std::string BytesOf(HANDLE block)
{
    const auto* bytes = static_cast<const char*>(GlobalLock(block));
    std::string copy = bytes == nullptr ? std::string() : std::string(bytes, GlobalSize(block));
    GlobalUnlock(block);
    return copy;
}

QClipboard& QtClipboard()
{
    return *QGuiApplication::clipboard();
}

class ClipboardTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_window.CreateMessageOnly(nullptr));
        QtClipboard().clear();
    }
    void TearDown() override
    {
        CloseClipboard(); // a failed expectation may leave it open
        QtClipboard().clear();
    }

    // One writing session: opens, empties, sets each block, closes.
    void Publish(std::initializer_list<std::pair<UINT, std::string>> formats)
    {
        ASSERT_TRUE(OpenClipboard(&m_window));
        ASSERT_TRUE(EmptyClipboard());
        for (const auto& [format, bytes] : formats)
            ASSERT_NE(SetClipboardData(format, BlockHolding(bytes)), nullptr);
        ASSERT_TRUE(CloseClipboard());
    }

    // The bytes of `format` as a reader of the clipboard gets them; empty when absent.
    std::string Read(UINT format)
    {
        EXPECT_TRUE(OpenClipboard(&m_window));
        std::string bytes = BytesOf(GetClipboardData(format));
        EXPECT_TRUE(CloseClipboard());
        return bytes;
    }

    CWnd m_window;
};

// ---- Text ----------------------------------------------------------------------------------

TEST_F(ClipboardTest, TextWithNonAsciiCharactersRoundTripsAndReachesQtAsPlainText)
{
    const std::string text = "Grüße\t東京\r\n😀 ñ";
    Publish({{CF_TEXT, text + '\0'}});

    const QMimeData* published = QtClipboard().mimeData();
    ASSERT_NE(published, nullptr);
    EXPECT_TRUE(published->hasFormat(QStringLiteral("text/plain")));
    EXPECT_EQ(QtClipboard().text(), QString::fromUtf8(text.data(), qsizetype(text.size())))
        << "the terminating NUL does not travel";
    EXPECT_EQ(Read(CF_TEXT), text + '\0');
}

TEST_F(ClipboardTest, TextPlacedByAnotherApplicationReadsAsUtf8EndingWithNul)
{
    QtClipboard().setText(QStringLiteral("Zoë → ✓"));
    EXPECT_EQ(Read(CF_TEXT), "Zoë → ✓"s + '\0');
}

TEST_F(ClipboardTest, TextEndsAtItsFirstNulOrAtTheEndOfABlockWithoutOne)
{
    Publish({{CF_TEXT, "ab\0cd"s}});
    EXPECT_EQ(QtClipboard().text(), QStringLiteral("ab"));

    Publish({{CF_TEXT, "no terminator"}});
    EXPECT_EQ(QtClipboard().text(), QStringLiteral("no terminator"));
}

// ---- Registered formats --------------------------------------------------------------------

TEST_F(ClipboardTest, RegisteredFormatRoundTripsBytesExactlyUnderItsOwnMimeType)
{
    const UINT format = RegisterClipboardFormat("Ombrel.Test.LocalData");
    const std::string bytes = "\x01\x00\x00\x00\xFF\xFE\x00\x80 tail\0"s;
    Publish({{format, bytes}, {CF_TEXT, "a\tb\0"s}});

    const QMimeData* published = QtClipboard().mimeData();
    ASSERT_NE(published, nullptr);
    const QString mimeType = QStringLiteral("application/x-ombrel.Ombrel.Test.LocalData");
    ASSERT_TRUE(published->hasFormat(mimeType));
    EXPECT_EQ(published->data(mimeType), QByteArray(bytes.data(), qsizetype(bytes.size())));
    EXPECT_EQ(QtClipboard().text(), QStringLiteral("a\tb")) << "another application sees the text";

    EXPECT_EQ(Read(format), bytes);
    EXPECT_EQ(Read(CF_TEXT), "a\tb\0"s);
}

TEST_F(ClipboardTest, RegisteredBlockOfZeroBytesIsPresentAndEmpty)
{
    const UINT format = RegisterClipboardFormat("Ombrel.Test.Empty");
    Publish({{format, ""}});
    EXPECT_TRUE(IsClipboardFormatAvailable(format));
    ASSERT_TRUE(OpenClipboard(&m_window));
    HANDLE block = GetClipboardData(format);
    EXPECT_NE(block, nullptr);
    EXPECT_EQ(GlobalSize(block), 0u);
}

TEST_F(ClipboardTest, NameCharactersOutsideAMimeSubtypeAreEscapedSoNamesStayDistinct)
{
    const UINT spaced = RegisterClipboardFormat("My Format/1_é");
    const UINT lookalike = RegisterClipboardFormat("My_20Format_2F1_5F_C3_A9");
    Publish({{spaced, "spaced"}, {lookalike, "lookalike"}});

    const QMimeData* published = QtClipboard().mimeData();
    ASSERT_NE(published, nullptr);
    EXPECT_EQ(published->data(QStringLiteral("application/x-ombrel.My_20Format_2F1_5F_C3_A9")),
              QByteArray("spaced"));
    EXPECT_EQ(
        published->data(QStringLiteral("application/x-ombrel.My_5F20Format_5F2F1_5F5F_5FC3_5FA9")),
        QByteArray("lookalike"));
    EXPECT_EQ(Read(spaced), "spaced");
    EXPECT_EQ(Read(lookalike), "lookalike");
}

TEST_F(ClipboardTest, DataOfAnotherApplicationUnderARegisteredTypeReadsUnchanged)
{
    const UINT format = RegisterClipboardFormat("Ombrel.Test.Foreign");
    auto data = new QMimeData;
    data->setData(QStringLiteral("application/x-ombrel.Ombrel.Test.Foreign"),
                  QByteArray("\x00\x01\x02", 3));
    QtClipboard().setMimeData(data);
    EXPECT_TRUE(IsClipboardFormatAvailable(format));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_EQ(Read(format), "\x00\x01\x02"s);
}

// ---- Availability and emptying -------------------------------------------------------------

TEST_F(ClipboardTest, AvailabilityFollowsTheContentWithoutOpening)
{
    const UINT present = RegisterClipboardFormat("Ombrel.Test.Present");
    const UINT absent = RegisterClipboardFormat("Ombrel.Test.Absent");
    QtClipboard().setText(QStringLiteral("from elsewhere"));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_FALSE(IsClipboardFormatAvailable(present));

    Publish({{present, "x"}});
    EXPECT_TRUE(IsClipboardFormatAvailable(present));
    EXPECT_FALSE(IsClipboardFormatAvailable(absent));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT)) << "the new content replaced the text";
    EXPECT_FALSE(IsClipboardFormatAvailable(2)) << "a format this layer does not know";
    EXPECT_FALSE(IsClipboardFormatAvailable(0xFFFE)) << "an identifier never registered";
}

TEST_F(ClipboardTest, EmptyClipboardRemovesWhatWasThere)
{
    QtClipboard().setText(QStringLiteral("old"));
    ASSERT_TRUE(OpenClipboard(&m_window));
    ASSERT_TRUE(EmptyClipboard());
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);
    ASSERT_TRUE(CloseClipboard());

    EXPECT_TRUE(QtClipboard().text().isEmpty());
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
}

TEST_F(ClipboardTest, NewContentIsReadableBeforeCloseButPublishedOnlyAtClose)
{
    QtClipboard().setText(QStringLiteral("old"));
    ASSERT_TRUE(OpenClipboard(&m_window));
    ASSERT_TRUE(EmptyClipboard());
    HGLOBAL block = BlockHolding("new\0"s);
    ASSERT_EQ(SetClipboardData(CF_TEXT, block), block);
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_EQ(GetClipboardData(CF_TEXT), block);
    EXPECT_EQ(QtClipboard().text(), QStringLiteral("old"));
    ASSERT_TRUE(CloseClipboard());
    EXPECT_EQ(QtClipboard().text(), QStringLiteral("new"));
}

// ---- Sessions ------------------------------------------------------------------------------

TEST_F(ClipboardTest, CallsThatNeedAnOpenClipboardFailWithoutOne)
{
    QtClipboard().setText(QStringLiteral("kept"));
    HGLOBAL block = BlockHolding("x\0"s);
    EXPECT_FALSE(EmptyClipboard());
    EXPECT_EQ(SetClipboardData(CF_TEXT, block), nullptr);
    EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);
    EXPECT_FALSE(CloseClipboard());

    EXPECT_EQ(QtClipboard().text(), QStringLiteral("kept"));
    EXPECT_EQ(GlobalFree(block), nullptr) << "a refused block stays the caller's";
}

TEST_F(ClipboardTest, SetClipboardDataNeedsEmptyClipboardInTheSameSession)
{
    QtClipboard().setText(QStringLiteral("kept"));
    HGLOBAL block = BlockHolding("x\0"s);
    ASSERT_TRUE(OpenClipboard(&m_window));
    EXPECT_EQ(SetClipboardData(CF_TEXT, block), nullptr);
    ASSERT_TRUE(CloseClipboard());
    EXPECT_EQ(QtClipboard().text(), QStringLiteral("kept"));
    EXPECT_EQ(GlobalFree(block), nullptr);
}

TEST_F(ClipboardTest, SecondOpenFailsUntilClose)
{
    CWnd other;
    ASSERT_TRUE(other.CreateMessageOnly(nullptr));
    ASSERT_TRUE(OpenClipboard(&m_window));
    EXPECT_FALSE(OpenClipboard(&other));
    EXPECT_FALSE(OpenClipboard(&m_window)) << "sessions do not nest";
    EXPECT_FALSE(OpenClipboard(nullptr));
    ASSERT_TRUE(CloseClipboard());
    EXPECT_FALSE(CloseClipboard());
    EXPECT_TRUE(OpenClipboard(&other));
}

TEST_F(ClipboardTest, OpenRefusesAnObjectThatIsNoWindow)
{
    CWnd neverCreated;
    EXPECT_FALSE(OpenClipboard(&neverCreated));
    CWnd destroyed;
    ASSERT_TRUE(destroyed.CreateMessageOnly(nullptr));
    destroyed.DestroyWindow();
    EXPECT_FALSE(OpenClipboard(&destroyed));
    EXPECT_TRUE(OpenClipboard(nullptr)) << "no owner at all is allowed";
}

// ---- Handles and ownership -----------------------------------------------------------------

TEST_F(ClipboardTest, StaleForgedOrMisplacedBlocksAreRefused)
{
    HGLOBAL freed = BlockHolding("gone");
    GlobalFree(freed);
    HGLOBAL live = BlockHolding("live\0"s);
    const auto forged = reinterpret_cast<HANDLE>(reinterpret_cast<std::uintptr_t>(live) + 77);
    const UINT unregistered = 0xFFF0;

    ASSERT_TRUE(OpenClipboard(&m_window));
    ASSERT_TRUE(EmptyClipboard());
    EXPECT_EQ(SetClipboardData(CF_TEXT, freed), nullptr);
    EXPECT_EQ(SetClipboardData(CF_TEXT, forged), nullptr);
    EXPECT_EQ(SetClipboardData(CF_TEXT, nullptr), nullptr) << "no rendering on request";
    EXPECT_EQ(SetClipboardData(2, live), nullptr);
    EXPECT_EQ(SetClipboardData(unregistered, live), nullptr);
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
    ASSERT_TRUE(CloseClipboard());

    EXPECT_TRUE(QtClipboard().text().isEmpty());
    EXPECT_EQ(GlobalFree(live), nullptr) << "a refused block stays the caller's";
}

TEST_F(ClipboardTest, BlockSetOnTheClipboardIsTheClipboardsToFree)
{
    HGLOBAL block = BlockHolding("owned\0"s);
    ASSERT_TRUE(OpenClipboard(&m_window));
    ASSERT_TRUE(EmptyClipboard());
    ASSERT_EQ(SetClipboardData(CF_TEXT, block), block);
    EXPECT_EQ(GlobalFree(block), block) << "the caller no longer owns it";
    EXPECT_EQ(BytesOf(block), "owned\0"s);
    ASSERT_TRUE(CloseClipboard());

    EXPECT_EQ(QtClipboard().text(), QStringLiteral("owned"));
    EXPECT_EQ(GlobalSize(block), 0u) << "the clipboard freed it once published";
}

TEST_F(ClipboardTest, SettingAFormatAgainReplacesAndFreesTheEarlierBlock)
{
    const UINT format = RegisterClipboardFormat("Ombrel.Test.Twice");
    HGLOBAL first = BlockHolding("first");
    HGLOBAL second = BlockHolding("second");
    ASSERT_TRUE(OpenClipboard(&m_window));
    ASSERT_TRUE(EmptyClipboard());
    ASSERT_EQ(SetClipboardData(format, first), first);
    ASSERT_EQ(SetClipboardData(format, second), second);
    EXPECT_EQ(GlobalSize(first), 0u);
    EXPECT_EQ(SetClipboardData(format, second), second) << "the same block again changes nothing";
    EXPECT_EQ(SetClipboardData(CF_TEXT, second), nullptr) << "one block serves one format";
    EXPECT_EQ(GetClipboardData(format), second);
    ASSERT_TRUE(CloseClipboard());

    EXPECT_EQ(Read(format), "second");
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
}

TEST_F(ClipboardTest, BlockReadFromTheClipboardLastsUntilCloseAndIsNotTheCallersToFree)
{
    QtClipboard().setText(QStringLiteral("read me"));
    ASSERT_TRUE(OpenClipboard(&m_window));
    HANDLE block = GetClipboardData(CF_TEXT);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GetClipboardData(CF_TEXT), block) << "one block per format and session";
    EXPECT_EQ(GlobalFree(block), block);
    EXPECT_EQ(BytesOf(block), "read me\0"s);
    ASSERT_TRUE(CloseClipboard());
    EXPECT_EQ(GlobalSize(block), 0u);
    EXPECT_EQ(QtClipboard().text(), QStringLiteral("read me")) << "reading changes nothing";
}

// ---- Threads -------------------------------------------------------------------------------

// Named for the ThreadSanitizer configuration, which runs the suites ending in ThreadTest.
class ClipboardThreadTest : public ClipboardTest
{};

TEST_F(ClipboardThreadTest, ClipboardCallsFromAnotherThreadFailWithoutTouchingIt)
{
    QtClipboard().setText(QStringLiteral("window thread's"));
    const UINT format = RegisterClipboardFormat("Ombrel.Test.Worker");
    auto worker = std::async(std::launch::async, [format] {
        HGLOBAL block = BlockHolding("worker\0"s);
        const bool anySucceeded = OpenClipboard(nullptr) || EmptyClipboard() ||
                                  SetClipboardData(CF_TEXT, block) != nullptr ||
                                  GetClipboardData(CF_TEXT) != nullptr ||
                                  IsClipboardFormatAvailable(CF_TEXT) ||
                                  IsClipboardFormatAvailable(format) || CloseClipboard();
        return !anySucceeded && GlobalFree(block) == nullptr;
    });
    EXPECT_TRUE(worker.get());
    EXPECT_EQ(QtClipboard().text(), QStringLiteral("window thread's"));
    EXPECT_TRUE(OpenClipboard(&m_window)) << "the worker left no session open";
}

TEST_F(ClipboardThreadTest, OpenRefusesAWindowOfAnotherThread)
{
    CWnd foreign;
    std::promise<void> created;
    std::promise<void> done;
    std::thread owner([&] {
        foreign.CreateMessageOnly(nullptr);
        created.set_value();
        done.get_future().wait();
        foreign.DestroyWindow();
    });
    created.get_future().wait();
    EXPECT_FALSE(OpenClipboard(&foreign));
    done.set_value();
    owner.join();
}

} // namespace
} // namespace Ombrel::Test
