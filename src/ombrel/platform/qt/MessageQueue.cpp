#include "ombrel/platform/qt/MessageQueue.h"

#include "ombrel/base/Clock.h"
#include "ombrel/base/ThreadId.h"
#include "ombrel/platform/Input.h"
#include "ombrel/platform/MessageLoop.h"
#include "ombrel/platform/WindowMessaging.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>
#include <unordered_map>

namespace Ombrel::Internal {
namespace {

// Never destroyed: windows may still be torn down while static objects are destroyed.
struct Registry
{
    std::mutex mutex;
    std::unordered_map<const CWnd*, std::shared_ptr<ThreadQueue>> windows; // guarded by mutex
    std::unordered_map<std::uint32_t, std::weak_ptr<ThreadQueue>> threads; // guarded by mutex
};

Registry& TheRegistry()
{
    static Registry* registry = new Registry;
    return *registry;
}

// Owns the calling thread's queue; closing it when the thread ends releases blocked senders.
struct ThreadQueueHolder
{
    std::shared_ptr<ThreadQueue> queue;
    ~ThreadQueueHolder()
    {
        if (!queue)
            return;
        {
            Registry& registry = TheRegistry();
            std::lock_guard lock(registry.mutex);
            registry.threads.erase(queue->ThreadId());
        }
        queue->Close();
    }
};

thread_local ThreadQueueHolder t_queue;

constexpr std::uint32_t kMinimumTimerMs = 10;

} // namespace

ThreadQueue::ThreadQueue(std::uint32_t threadId) : m_threadId(threadId) {}

ThreadQueue::~ThreadQueue()
{
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
}

void ThreadQueue::EnableWakeDescriptor()
{
    std::lock_guard lock(m_mutex);
    if (m_wakeFd < 0)
        m_wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

void ThreadQueue::Wake()
{
    m_wakeUp.notify_all();
    if (m_wakeFd >= 0) {
        std::uint64_t one = 1;
        // A full counter (never reached in practice) still leaves the descriptor readable.
        [[maybe_unused]] ssize_t written = ::write(m_wakeFd, &one, sizeof one);
    }
}

bool ThreadQueue::PushSent(const std::shared_ptr<SentMessage>& message)
{
    std::lock_guard lock(m_mutex);
    if (m_closed)
        return false;
    m_sent.push_back(message);
    Wake();
    return true;
}

bool ThreadQueue::PushPosted(const MSG& message)
{
    std::lock_guard lock(m_mutex);
    if (m_closed)
        return false;
    // One wake per burst: a queue that holds posted messages already has a wake pending, or
    // is being served by a round of ProcessPending, which wakes again for what it leaves.
    // Waiters on the condition test the queue under the mutex, so they miss nothing either.
    const bool wasEmpty = m_posted.empty();
    m_posted.push_back(message);
    if (wasEmpty)
        Wake();
    return true;
}

bool ThreadQueue::RequestQuit(int exitCode)
{
    std::lock_guard lock(m_mutex);
    if (m_closed)
        return false;
    m_quit = exitCode;
    Wake();
    return true;
}

void ThreadQueue::Complete(SentMessage& message, LRESULT result)
{
    ThreadQueue& sender = *message.sender;
    std::lock_guard lock(sender.m_mutex);
    message.result = result;
    message.done = true;
    sender.m_wakeUp.notify_all();
}

std::shared_ptr<SentMessage> ThreadQueue::PopSent()
{
    std::lock_guard lock(m_mutex);
    if (m_sent.empty())
        return nullptr;
    auto message = std::move(m_sent.front());
    m_sent.pop_front();
    return message;
}

// Handles one sent message on the owning thread; the window may have gone meanwhile.
static void Serve(ThreadQueue& queue, SentMessage& message)
{
    LRESULT result = 0;
    if (IsWindowOfQueue(message.msg.hwnd, queue))
        result = DeliverMessage(message.msg, false);
    ThreadQueue::Complete(message, result);
}

void ThreadQueue::WaitForReply(SentMessage& message)
{
    std::unique_lock lock(m_mutex);
    while (!message.done) {
        if (!m_sent.empty()) {
            auto incoming = std::move(m_sent.front());
            m_sent.pop_front();
            lock.unlock();
            Serve(*this, *incoming);
            lock.lock();
            continue;
        }
        m_wakeUp.wait(lock);
    }
}

bool ThreadQueue::ProcessPending()
{
    // Only the posted messages present on entry: a window that posts to itself from its
    // handler must not keep this call from returning.
    std::size_t postedBudget;
    {
        std::lock_guard lock(m_mutex);
        postedBudget = m_posted.size();
    }
    for (;;) {
        if (auto sent = PopSent()) {
            Serve(*this, *sent);
            continue;
        }
        std::optional<MSG> posted;
        {
            std::lock_guard lock(m_mutex);
            if (postedBudget > 0 && !m_posted.empty()) {
                posted = m_posted.front();
                m_posted.pop_front();
                --postedBudget;
            }
        }
        if (!posted)
            break;
        if (IsWindowOfQueue(posted->hwnd, *this))
            DeliverMessage(*posted, true);
    }
    RunDueTimers();
    std::lock_guard lock(m_mutex);
    if (!m_posted.empty() || !m_sent.empty())
        Wake(); // the rest is handled by the next round of the loop
    return !m_quit.has_value();
}

void ThreadQueue::WaitForWork(std::optional<Clock::time_point> deadline)
{
    std::unique_lock lock(m_mutex);
    auto ready = [this] {
        if (!m_sent.empty() || !m_posted.empty() || m_quit)
            return true;
        auto now = Clock::now();
        return std::any_of(m_timers.begin(), m_timers.end(),
                           [now](const Timer& timer) { return timer.due <= now; });
    };
    std::optional<Clock::time_point> until = deadline;
    for (const Timer& timer : m_timers) {
        if (!until || timer.due < *until)
            until = timer.due;
    }
    if (until)
        m_wakeUp.wait_until(lock, *until, ready);
    else
        m_wakeUp.wait(lock, ready);
}

std::optional<int> ThreadQueue::TakeQuit()
{
    std::lock_guard lock(m_mutex);
    // As on the platform, a quit request is taken only once no sent or posted message waits:
    // whatever a thread posted before asking the loop to end is still delivered.
    if (!m_sent.empty() || !m_posted.empty())
        return std::nullopt;
    std::optional<int> quit = m_quit;
    m_quit.reset();
    return quit;
}

bool ThreadQueue::IsClosed()
{
    std::lock_guard lock(m_mutex);
    return m_closed;
}

bool ThreadQueue::QuitRequested()
{
    std::lock_guard lock(m_mutex);
    return m_quit.has_value();
}

void ThreadQueue::ForgetWindow(HWND window)
{
    std::vector<std::shared_ptr<SentMessage>> released;
    bool hadTimers = false;
    {
        std::lock_guard lock(m_mutex);
        std::erase_if(m_posted, [window](const MSG& msg) { return msg.hwnd == window; });
        for (auto it = m_sent.begin(); it != m_sent.end();) {
            if ((*it)->msg.hwnd == window) {
                released.push_back(std::move(*it));
                it = m_sent.erase(it);
            } else {
                ++it;
            }
        }
        hadTimers = std::erase_if(m_timers, [window](const Timer& t) { return t.window == window; }) > 0;
    }
    for (auto& message : released)
        Complete(*message, 0);
    if (hadTimers && m_timersChanged)
        m_timersChanged(*this);
}

void ThreadQueue::Close()
{
    std::deque<std::shared_ptr<SentMessage>> released;
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        released.swap(m_sent);
        m_posted.clear();
        m_timers.clear();
    }
    for (auto& message : released)
        Complete(*message, 0);
}

bool ThreadQueue::StartTimer(HWND window, UINT_PTR id, std::uint32_t elapseMs)
{
    auto interval = std::chrono::milliseconds(std::max(elapseMs, kMinimumTimerMs));
    {
        std::lock_guard lock(m_mutex);
        if (m_closed)
            return false;
        auto existing = std::find_if(m_timers.begin(), m_timers.end(), [&](const Timer& t) {
            return t.window == window && t.id == id;
        });
        Timer timer{window, id, interval, Clock::now() + interval};
        if (existing != m_timers.end())
            *existing = timer;
        else
            m_timers.push_back(timer);
        Wake();
    }
    if (m_timersChanged)
        m_timersChanged(*this);
    return true;
}

bool ThreadQueue::StopTimer(HWND window, UINT_PTR id)
{
    bool removed;
    {
        std::lock_guard lock(m_mutex);
        removed = std::erase_if(m_timers, [&](const Timer& t) {
                      return t.window == window && t.id == id;
                  }) > 0;
    }
    if (removed && m_timersChanged)
        m_timersChanged(*this);
    return removed;
}

std::optional<Clock::time_point> ThreadQueue::NextTimerDue()
{
    std::lock_guard lock(m_mutex);
    std::optional<Clock::time_point> next;
    for (const Timer& timer : m_timers) {
        if (!next || timer.due < *next)
            next = timer.due;
    }
    return next;
}

void ThreadQueue::RunDueTimers()
{
    // Each due timer fires once per round, however late it is; its next time counts from now.
    std::vector<std::pair<HWND, UINT_PTR>> due;
    {
        std::lock_guard lock(m_mutex);
        auto now = Clock::now();
        for (Timer& timer : m_timers) {
            if (timer.due <= now) {
                due.emplace_back(timer.window, timer.id);
                timer.due = now + timer.interval;
            }
        }
    }
    for (const auto& [dueWindow, dueId] : due) {
        // Plain copies: lambdas may not capture structured bindings before C++20 in every
        // compiler the fuzz build uses (clang 14).
        CWnd* const window = dueWindow;
        const auto id = dueId;
        {
            // A handler that ran before may have killed this timer.
            std::lock_guard lock(m_mutex);
            bool alive = std::any_of(m_timers.begin(), m_timers.end(), [&](const Timer& t) {
                return t.window == window && t.id == id;
            });
            if (!alive)
                continue;
        }
        if (IsWindowOfQueue(window, *this)) {
            MSG msg{window, WM_TIMER, id, 0, static_cast<DWORD>(GetTickCount64()), {}};
            DeliverMessage(msg, false);
        }
    }
    if (!due.empty() && m_timersChanged)
        m_timersChanged(*this);
}

std::shared_ptr<ThreadQueue> CurrentThreadQueue()
{
    if (!t_queue.queue) {
        auto queue = std::make_shared<ThreadQueue>(GetCurrentThreadId());
        {
            Registry& registry = TheRegistry();
            std::lock_guard lock(registry.mutex);
            registry.threads[queue->ThreadId()] = queue;
        }
        t_queue.queue = std::move(queue);
    }
    AttachToApplicationLoop(t_queue.queue);
    return t_queue.queue;
}

ThreadQueue* CurrentThreadQueueIfAny()
{
    return t_queue.queue.get();
}

std::shared_ptr<ThreadQueue> FindThreadQueue(std::uint32_t threadId)
{
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    auto found = registry.threads.find(threadId);
    return found == registry.threads.end() ? nullptr : found->second.lock();
}

void RegisterWindow(HWND window, const std::shared_ptr<ThreadQueue>& queue)
{
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    registry.windows[window] = queue;
}

void UnregisterWindow(HWND window)
{
    std::shared_ptr<ThreadQueue> queue;
    {
        Registry& registry = TheRegistry();
        std::lock_guard lock(registry.mutex);
        auto found = registry.windows.find(window);
        if (found == registry.windows.end())
            return;
        queue = std::move(found->second);
        registry.windows.erase(found);
    }
    // From here no sender can find the window, so nothing new is queued for it.
    queue->ForgetWindow(window);
}

std::shared_ptr<ThreadQueue> FindWindowQueue(const CWnd* window)
{
    if (window == nullptr)
        return nullptr;
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    auto found = registry.windows.find(window);
    return found == registry.windows.end() ? nullptr : found->second;
}

bool IsWindowOfQueue(const CWnd* window, const ThreadQueue& queue)
{
    auto owner = FindWindowQueue(window);
    return owner.get() == &queue;
}

} // namespace Ombrel::Internal

namespace Ombrel {

using namespace Internal;

bool IsWindow(const CWnd* window)
{
    return FindWindowQueue(window) != nullptr;
}

std::uint32_t GetWindowThreadProcessId(const CWnd* window, std::uint32_t* processId)
{
    auto queue = FindWindowQueue(window);
    if (processId != nullptr)
        *processId = queue ? GetCurrentProcessId() : 0;
    return queue ? queue->ThreadId() : 0;
}

static MSG MakeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG msg{window, message, wParam, lParam, static_cast<DWORD>(GetTickCount64()), {}};
    return msg;
}

LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    std::shared_ptr<SentMessage> record;
    {
        // Looking the window up and queueing happen under the registry lock, so a window that
        // is being destroyed either never sees the message or releases it in ForgetWindow.
        Registry& registry = TheRegistry();
        std::unique_lock lock(registry.mutex);
        auto found = registry.windows.find(window);
        if (found == registry.windows.end())
            return 0;
        std::shared_ptr<ThreadQueue> target = found->second;
        // Thread identifiers are reused: a window of an ended thread is never "ours".
        if (target->IsClosed())
            return 0;
        if (target.get() == CurrentThreadQueueIfAny()) {
            lock.unlock();
            return DeliverMessage(MakeMessage(window, message, wParam, lParam), false);
        }
        lock.unlock();
        record = std::make_shared<SentMessage>();
        record->msg = MakeMessage(window, message, wParam, lParam);
        record->sender = CurrentThreadQueue();
        lock.lock();
        found = registry.windows.find(window);
        if (found == registry.windows.end() || found->second != target)
            return 0;
        if (!target->PushSent(record))
            return 0;
    }
    record->sender->WaitForReply(*record);
    return record->result; // written before `done`, under the sender's lock
}

bool PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    auto found = registry.windows.find(window);
    if (found == registry.windows.end())
        return false;
    return found->second->PushPosted(MakeMessage(window, message, wParam, lParam));
}

int RunMessageLoop()
{
    auto queue = CurrentThreadQueue();
    if (IsApplicationThread())
        return RunApplicationLoop(*queue);
    for (;;) {
        queue->ProcessPending();
        if (auto quit = queue->TakeQuit())
            return *quit;
        queue->WaitForWork(std::nullopt);
    }
}

} // namespace Ombrel
