#include "RecordingWnd.h"
#include "support/Harness.h"

#include "ombrel/base/ThreadId.h"
#include "ombrel/platform/MessageLoop.h"
#include "ombrel/platform/WindowMessaging.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <string>
#include <thread>

namespace Ombrel::Test {
namespace {

constexpr UINT kAsk = WM_APP + 1;
constexpr UINT kRelay = WM_APP + 2;
constexpr UINT kSequence = WM_APP + 3;

// A worker thread that owns a message-only window and runs its message loop until stopped.
class CWindowThread
{
public:
    explicit CWindowThread(std::function<void(CRecordingWnd&)> setUp = {})
    {
        std::promise<void> ready;
        auto readyFuture = ready.get_future();
        m_thread = std::thread([this, setUp, &ready] {
            m_threadId = GetCurrentThreadId();
            if (setUp)
                setUp(m_window);
            m_window.CreateMessageOnly(nullptr);
            ready.set_value();
            m_exitCode = RunMessageLoop();
            m_window.DestroyWindow();
        });
        readyFuture.wait();
    }
    ~CWindowThread() { Stop(); }

    void Stop()
    {
        if (!m_thread.joinable())
            return;
        PostQuitToThread(m_threadId, 7);
        m_thread.join();
    }

    CRecordingWnd& Window() { return m_window; }
    std::uint32_t ThreadId() const { return m_threadId; }
    int ExitCode() const { return m_exitCode; }

private:
    CRecordingWnd m_window;
    std::thread m_thread;
    std::uint32_t m_threadId = 0;
    int m_exitCode = -1;
};

TEST(RegisterWindowMessageTest, SameNameGivesSameIdentifierWithoutRegardToCase)
{
    UINT first = RegisterWindowMessage("Ombrel.Test.Message.A");
    EXPECT_GE(first, 0xC000u);
    EXPECT_LE(first, 0xFFFFu);
    EXPECT_EQ(first, RegisterWindowMessage("ombrel.test.message.a"));
    EXPECT_NE(first, RegisterWindowMessage("Ombrel.Test.Message.B"));
    EXPECT_EQ(0u, RegisterWindowMessage(""));
    EXPECT_EQ(0u, RegisterWindowMessage(nullptr));
}

TEST(RegisterWindowMessageThreadTest, ThreadsRegisteringOneNameGetOneIdentifier)
{
    std::vector<std::future<UINT>> results;
    for (int i = 0; i < 8; ++i) {
        results.push_back(std::async(std::launch::async, [] {
            return RegisterWindowMessage("Ombrel.Test.Concurrent");
        }));
    }
    UINT expected = RegisterWindowMessage("Ombrel.Test.Concurrent");
    for (auto& result : results)
        EXPECT_EQ(expected, result.get());
}

TEST(WindowMessagingThreadTest, SentMessageRunsOnWindowThreadAndReturnsItsResult)
{
    CRecordingWnd window;
    ASSERT_TRUE(window.CreateMessageOnly(nullptr));
    std::uint32_t handlerThread = 0;
    window.onMessage = [&](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        if (message != kAsk)
            return false;
        handlerThread = GetCurrentThreadId();
        result = static_cast<LRESULT>(wParam) * 100 + lParam;
        return true;
    };
    auto answer = std::async(std::launch::async, [&] { return SendMessage(&window, kAsk, 4, 2); });
    ASSERT_TRUE(PumpUntil([&] { return answer.wait_for(0s) == std::future_status::ready; }));
    EXPECT_EQ(402, answer.get());
    EXPECT_EQ(GetCurrentThreadId(), handlerThread);
    EXPECT_EQ(GetCurrentThreadId(), window.GetWindowThreadId());
    EXPECT_EQ(GetCurrentThreadId(), GetWindowThreadProcessId(&window));
}

TEST(WindowMessagingThreadTest, BlockedSenderServesMessagesSentBackToIt)
{
    // The application thread sends to a worker's window, whose handler sends back to a window
    // of the application thread while the first send is still waiting.
    CRecordingWnd local;
    ASSERT_TRUE(local.CreateMessageOnly(nullptr));
    local.onMessage = [](UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
        if (message != kRelay)
            return false;
        result = static_cast<LRESULT>(wParam) + 1;
        return true;
    };
    CWindowThread worker([&local](CRecordingWnd& window) {
        window.onMessage = [&local](UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
            if (message != kAsk)
                return false;
            result = SendMessage(&local, kRelay, wParam * 10) * 2;
            return true;
        };
    });
    EXPECT_EQ(62, SendMessage(&worker.Window(), kAsk, 3)); // (3 * 10 + 1) * 2
    EXPECT_EQ(1, local.Count(kRelay));
}

TEST(WindowMessagingThreadTest, TwoThreadsSendingToEachOthersWindowsDoNotDeadlock)
{
    constexpr int kRounds = 200;
    std::atomic<int> wrongAnswers{0};
    std::atomic<int> finished{0};
    // Each worker echoes kAsk and, on kSequence, sends kRounds kAsk to the other's window;
    // both do so at the same time, so each send waits while the other thread sends to it.
    auto setUp = [&](std::atomic<CWnd*>* other) {
        return [&, other](CRecordingWnd& window) {
            window.onMessage = [&, other](UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
                if (message == kAsk) {
                    result = static_cast<LRESULT>(wParam) + 1;
                    return true;
                }
                if (message != kSequence)
                    return false;
                for (int i = 0; i < kRounds; ++i) {
                    if (SendMessage(other->load(), kAsk, static_cast<WPARAM>(i)) != i + 1)
                        ++wrongAnswers;
                }
                ++finished;
                return true;
            };
        };
    };
    std::atomic<CWnd*> firstTarget{nullptr};
    std::atomic<CWnd*> secondTarget{nullptr};
    CWindowThread first(setUp(&firstTarget));
    CWindowThread second(setUp(&secondTarget));
    firstTarget = &second.Window();
    secondTarget = &first.Window();
    ASSERT_TRUE(PostMessage(&first.Window(), kSequence));
    ASSERT_TRUE(PostMessage(&second.Window(), kSequence));
    ASSERT_TRUE(PumpUntil([&] { return finished.load() == 2; }, 60s));
    EXPECT_EQ(0, wrongAnswers.load());
}

TEST(WindowMessagingThreadTest, PostedMessagesArriveInOrder)
{
    CRecordingWnd window;
    ASSERT_TRUE(window.CreateMessageOnly(nullptr));
    constexpr int kCount = 2000;
    std::thread poster([&] {
        for (int i = 0; i < kCount; ++i)
            EXPECT_TRUE(PostMessage(&window, kSequence, static_cast<WPARAM>(i)));
    });
    ASSERT_TRUE(PumpUntil([&] { return window.Count(kSequence) == kCount; }, 30s));
    poster.join();
    std::vector<MSG> sequence = window.Received(kSequence);
    for (int i = 0; i < kCount; ++i)
        ASSERT_EQ(static_cast<WPARAM>(i), sequence[static_cast<std::size_t>(i)].wParam);
}

TEST(WindowMessagingThreadTest, WorkerCanEndTheApplicationLoopAfterItsPostedMessages)
{
    CRecordingWnd window;
    ASSERT_TRUE(window.CreateEx(0, nullptr, nullptr, WS_POPUP, CRect(0, 0, 20, 20), nullptr, 0));
    std::uint32_t applicationThread = GetCurrentThreadId();
    std::thread worker([&] {
        for (WPARAM i = 0; i < 3; ++i)
            PostMessage(&window, kSequence, i);
        PostQuitToThread(applicationThread, 5);
    });
    EXPECT_EQ(5, RunMessageLoop());
    worker.join();
    EXPECT_EQ(3, window.Count(kSequence));
    EXPECT_FALSE(PostQuitToThread(0xFFFFFFF0u, 1)); // no such thread
}

TEST(WindowMessagingThreadTest, MessagesToAWindowWhoseThreadEndedFailAtOnce)
{
    CRecordingWnd orphan;
    std::thread([&] { ASSERT_TRUE(orphan.CreateMessageOnly(nullptr)); }).join();
    EXPECT_TRUE(IsWindow(&orphan)); // never destroyed, but nobody can serve it any more
    EXPECT_FALSE(PostMessage(&orphan, kAsk));
    EXPECT_EQ(0, SendMessage(&orphan, kAsk, 1));
    EXPECT_TRUE(orphan.received.empty() || orphan.Count(kAsk) == 0);
}

TEST(WindowMessagingThreadTest, SenderWaitingOnAWindowDestroyedUnservedGetsZero)
{
    std::promise<void> destroyNow;
    auto destroyNowFuture = destroyNow.get_future();
    CRecordingWnd target;
    std::atomic<bool> handled{false};
    target.onMessage = [&](UINT message, WPARAM, LPARAM, LRESULT& result) {
        if (message == kAsk)
            handled = true;
        result = 99;
        return message == kAsk;
    };
    std::promise<void> created;
    std::thread owner([&] {
        target.CreateMessageOnly(nullptr);
        created.set_value();
        destroyNowFuture.wait(); // never pumps: the message stays queued
        target.DestroyWindow();
    });
    created.get_future().wait();
    auto answer = std::async(std::launch::async, [&] { return SendMessage(&target, kAsk); });
    // Whether the send was queued before the destruction or came after it, it returns 0.
    EXPECT_EQ(std::future_status::timeout, answer.wait_for(50ms));
    destroyNow.set_value();
    EXPECT_EQ(0, answer.get());
    owner.join();
    EXPECT_FALSE(handled.load());
}

TEST(WindowMessagingThreadTest, SenderWaitingOnAThreadThatEndsGetsZero)
{
    CRecordingWnd target;
    std::promise<void> endNow;
    auto endNowFuture = endNow.get_future();
    std::promise<void> created;
    std::thread owner([&] {
        target.CreateMessageOnly(nullptr);
        created.set_value();
        endNowFuture.wait();
    });
    created.get_future().wait();
    auto answer = std::async(std::launch::async, [&] { return SendMessage(&target, kAsk); });
    EXPECT_EQ(std::future_status::timeout, answer.wait_for(50ms));
    endNow.set_value();
    owner.join();
    EXPECT_EQ(0, answer.get());
}

TEST(WindowMessagingTest, MessagesToADestroyedWindowAreRefusedAndQueuedOnesDropped)
{
    CRecordingWnd window;
    ASSERT_TRUE(window.CreateMessageOnly(nullptr));
    EXPECT_TRUE(PostMessage(&window, kSequence, 1));
    ASSERT_TRUE(window.DestroyWindow());
    EXPECT_FALSE(IsWindow(&window));
    EXPECT_FALSE(PostMessage(&window, kSequence, 2));
    EXPECT_EQ(0, SendMessage(&window, kAsk));
    PumpFor(30ms);
    EXPECT_EQ(0, window.Count(kSequence));
}

TEST(WindowMessagingTest, SendOnTheWindowThreadCallsTheProcedureDirectly)
{
    CRecordingWnd window;
    ASSERT_TRUE(window.CreateMessageOnly(nullptr));
    window.onMessage = [](UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
        result = static_cast<LRESULT>(wParam) * 3;
        return message == kAsk;
    };
    EXPECT_EQ(21, window.SendMessage(kAsk, 7));
    EXPECT_EQ(1, window.Count(kAsk));
}

TEST(WindowMessagingTest, PostedMessageIsHandledLaterAndPassesPreTranslate)
{
    CRecordingWnd window;
    ASSERT_TRUE(window.CreateMessageOnly(nullptr));
    window.onPreTranslate = [](MSG& msg) { return msg.message == kSequence && msg.wParam == 2; };
    window.PostMessage(kSequence, 1);
    window.PostMessage(kSequence, 2);
    window.PostMessage(kSequence, 3);
    EXPECT_EQ(0, window.Count(kSequence)); // nothing inside PostMessage
    ASSERT_TRUE(PumpUntil([&] { return window.Count(kSequence) == 2; }));
    EXPECT_EQ(1u, window.Received(kSequence)[0].wParam);
    EXPECT_EQ(3u, window.Received(kSequence)[1].wParam);
}

TEST(TimerTest, TimerFiresRepeatedlyUntilKilled)
{
    CRecordingWnd window;
    ASSERT_TRUE(window.CreateMessageOnly(nullptr));
    EXPECT_NE(0u, window.SetTimer(0, 10)); // identifier 0 is a valid timer
    EXPECT_NE(0u, window.SetTimer(4, 15));
    ASSERT_TRUE(PumpUntil([&] {
        int zeros = 0;
        for (const MSG& msg : window.Received(WM_TIMER))
            zeros += msg.wParam == 0 ? 1 : 0;
        return zeros >= 3;
    }));
    EXPECT_TRUE(window.KillTimer(0));
    EXPECT_TRUE(window.KillTimer(4));
    EXPECT_FALSE(window.KillTimer(4));
    int fired = window.Count(WM_TIMER);
    PumpFor(60ms);
    EXPECT_EQ(fired, window.Count(WM_TIMER));
}

TEST(TimerThreadTest, TimerOfAWorkerWindowRunsInItsMessageLoop)
{
    std::atomic<int> ticks{0};
    std::uint32_t tickThread = 0;
    CWindowThread worker([&](CRecordingWnd& window) {
        window.onMessage = [&](UINT message, WPARAM wParam, LPARAM, LRESULT&) {
            if (message == WM_CREATE) {
                window.SetTimer(9, 10);
                return false;
            }
            if (message != WM_TIMER || wParam != 9)
                return false;
            tickThread = GetCurrentThreadId();
            if (++ticks == 3)
                window.KillTimer(9);
            return true;
        };
    });
    ASSERT_TRUE(PumpUntil([&] { return ticks.load() >= 3; }));
    PumpFor(50ms);
    worker.Stop();
    EXPECT_EQ(3, ticks.load());
    EXPECT_EQ(worker.ThreadId(), tickThread);
    EXPECT_EQ(7, worker.ExitCode());
}

TEST(TimerThreadTest, SetTimerFromAnotherThreadFails)
{
    CRecordingWnd window;
    ASSERT_TRUE(window.CreateMessageOnly(nullptr));
    auto result = std::async(std::launch::async, [&] { return window.SetTimer(1, 10); });
    EXPECT_EQ(0u, result.get());
}

} // namespace
} // namespace Ombrel::Test
