#pragma once

#include "ombrel/platform/Messages.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

// The per-thread message queues behind SendMessage, PostMessage, timers and message loops.
//
// All data that crosses threads (message records, results, quit requests) lives here and is
// guarded by the queue's own std::mutex; a thread waits on its queue's condition variable,
// which is signalled both when a message arrives for it and when a reply it waits for is
// ready. The application thread is additionally woken through an eventfd watched by the
// application's event loop, so Qt is never handed cross-thread data.

namespace Ombrel::Internal {

class ThreadQueue;
using Clock = std::chrono::steady_clock;

// A message sent from one thread to a window of another. The sender waits until `done`.
struct SentMessage
{
    MSG msg;
    std::shared_ptr<ThreadQueue> sender; // whose mutex guards `result` and `done`
    LRESULT result = 0;
    bool done = false;
};

struct Timer
{
    HWND window = nullptr;
    UINT_PTR id = 0;
    std::chrono::milliseconds interval{0};
    Clock::time_point due;
};

class ThreadQueue
{
public:
    explicit ThreadQueue(std::uint32_t threadId);
    ~ThreadQueue();
    ThreadQueue(const ThreadQueue&) = delete;
    ThreadQueue& operator=(const ThreadQueue&) = delete;

    std::uint32_t ThreadId() const { return m_threadId; }

    // ---- Any thread ----------------------------------------------------------------------
    // False (nothing queued) once the owning thread has ended.
    bool PushSent(const std::shared_ptr<SentMessage>& message);
    bool PushPosted(const MSG& message);
    bool RequestQuit(int exitCode);
    // Marks `message` handled with `result` and wakes its sender (called on the target thread).
    static void Complete(SentMessage& message, LRESULT result);

    // ---- Owning thread -------------------------------------------------------------------
    // Blocks until `message` (sent by this thread) is done, handling messages sent to this
    // thread meanwhile.
    void WaitForReply(SentMessage& message);
    // Handles the sent messages, the posted messages that were queued on entry and the due
    // timers. False when a quit has been requested.
    bool ProcessPending();
    // Waits until a message arrives, a timer is due, a quit is requested or `deadline`.
    void WaitForWork(std::optional<Clock::time_point> deadline);
    // The quit request, cleared by taking it.
    std::optional<int> TakeQuit();
    bool QuitRequested();
    // True once the owning thread has ended.
    bool IsClosed();
    // Drops every queued message for `window`, releases the senders waiting on it with 0 and
    // stops its timers.
    void ForgetWindow(HWND window);
    // Called once when the owning thread ends: releases every waiting sender with 0 and
    // refuses further messages.
    void Close();

    bool StartTimer(HWND window, UINT_PTR id, std::uint32_t elapseMs);
    bool StopTimer(HWND window, UINT_PTR id);
    std::optional<Clock::time_point> NextTimerDue();

    // The application thread's wake-up descriptor (eventfd), or -1 for other threads.
    int WakeDescriptor() const { return m_wakeFd; }
    void EnableWakeDescriptor();
    // Called on the owning thread after timers changed (the application thread re-arms its
    // timer from it).
    void SetTimersChangedHook(void (*hook)(ThreadQueue&)) { m_timersChanged = hook; }

private:
    void Wake();          // with m_mutex held
    void RunDueTimers();
    std::shared_ptr<SentMessage> PopSent();

    const std::uint32_t m_threadId;
    std::mutex m_mutex;
    std::condition_variable m_wakeUp;
    std::deque<std::shared_ptr<SentMessage>> m_sent; // guarded by m_mutex
    std::deque<MSG> m_posted;                        // guarded by m_mutex
    std::vector<Timer> m_timers;                     // guarded by m_mutex
    std::optional<int> m_quit;                       // guarded by m_mutex
    bool m_closed = false;                           // guarded by m_mutex
    int m_wakeFd = -1;                               // set once on the owning thread
    void (*m_timersChanged)(ThreadQueue&) = nullptr;
};

// The calling thread's queue, created on first use and closed when the thread ends.
std::shared_ptr<ThreadQueue> CurrentThreadQueue();
// The calling thread's queue if it has one, else null; never creates one.
ThreadQueue* CurrentThreadQueueIfAny();
// The queue of a live thread by its identifier, or null.
std::shared_ptr<ThreadQueue> FindThreadQueue(std::uint32_t threadId);

// ---- The live-window table ---------------------------------------------------------------
// A window is live from RegisterWindow (during creation) to UnregisterWindow (destruction).
void RegisterWindow(HWND window, const std::shared_ptr<ThreadQueue>& queue);
void UnregisterWindow(HWND window);
std::shared_ptr<ThreadQueue> FindWindowQueue(const CWnd* window);
// True when `window` is live and owned by the calling thread's queue `queue`.
bool IsWindowOfQueue(const CWnd* window, const ThreadQueue& queue);

// Runs the window procedure of a live window of the calling thread for a posted (true) or sent
// message. Posted messages pass PreTranslateMessage first. Defined with CWnd.
LRESULT DeliverMessage(const MSG& msg, bool posted);

// Connects the application thread's queue to the application's event loop (idempotent; a
// no-op on other threads or before the application object exists).
void AttachToApplicationLoop(const std::shared_ptr<ThreadQueue>& queue);
// True on the thread that runs the application object.
bool IsApplicationThread();
// Runs the application's event loop, which also serves the queue; returns its exit code.
int RunApplicationLoop(ThreadQueue& queue);

} // namespace Ombrel::Internal
