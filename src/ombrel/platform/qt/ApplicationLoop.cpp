// The application thread's side of the message queues: its queue is served from the
// application's event loop, woken through an eventfd (never by handing data to Qt across
// threads), and its timers run on one precise QTimer armed for the earliest due timer.

#include "ombrel/platform/MessageLoop.h"
#include "ombrel/platform/qt/MessageQueue.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <unistd.h>

namespace Ombrel::Internal {
namespace {

class QueueWaker : public QObject
{
public:
    QueueWaker(std::shared_ptr<ThreadQueue> queue, QObject* parent)
        : QObject(parent), m_queue(std::move(queue)),
          m_notifier(m_queue->WakeDescriptor(), QSocketNotifier::Read, this)
    {
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_notifier, &QSocketNotifier::activated, this, [this] { OnWake(); });
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { Serve(); });
    }

    void Rearm()
    {
        auto next = m_queue->NextTimerDue();
        if (!next) {
            m_timer.stop();
            return;
        }
        auto wait = std::chrono::ceil<std::chrono::milliseconds>(*next - Clock::now());
        m_timer.start(std::max<std::chrono::milliseconds::rep>(0, wait.count()));
    }

    ThreadQueue& Queue() { return *m_queue; }

private:
    void OnWake()
    {
        std::uint64_t count = 0;
        [[maybe_unused]] ssize_t got = ::read(m_queue->WakeDescriptor(), &count, sizeof count);
        Serve();
    }

    void Serve()
    {
        m_queue->ProcessPending();
        if (auto quit = m_queue->TakeQuit())
            QCoreApplication::exit(*quit);
        Rearm();
    }

    std::shared_ptr<ThreadQueue> m_queue;
    QSocketNotifier m_notifier;
    QTimer m_timer;
};

// Lives on the application thread as a child of the application object; owned by it.
QPointer<QueueWaker> g_waker;

void RearmApplicationTimer(ThreadQueue& queue)
{
    // A window destroyed from another thread changes timers there; the application thread
    // re-arms at its next round anyway.
    if (IsApplicationThread() && g_waker && &g_waker->Queue() == &queue)
        g_waker->Rearm();
}

} // namespace

bool IsApplicationThread()
{
    QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && app->thread() == QThread::currentThread();
}

void AttachToApplicationLoop(const std::shared_ptr<ThreadQueue>& queue)
{
    if (!IsApplicationThread() || g_waker)
        return;
    queue->EnableWakeDescriptor();
    if (queue->WakeDescriptor() < 0)
        return;
    queue->SetTimersChangedHook(&RearmApplicationTimer);
    g_waker = new QueueWaker(queue, QCoreApplication::instance());
    g_waker->Rearm();
}

int RunApplicationLoop(ThreadQueue& queue)
{
    queue.ProcessPending();
    if (auto quit = queue.TakeQuit())
        return *quit;
    return QCoreApplication::exec();
}

} // namespace Ombrel::Internal

namespace Ombrel {

using namespace Internal;

bool PumpMessages()
{
    auto queue = CurrentThreadQueue();
    if (IsApplicationThread()) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    queue->ProcessPending();
    if (g_waker && IsApplicationThread())
        g_waker->Rearm();
    return !queue->QuitRequested();
}

bool PumpMessagesFor(std::uint32_t timeoutMs)
{
    auto queue = CurrentThreadQueue();
    if (IsApplicationThread()) {
        // Blocks until some event arrives; the timer bounds the wait.
        QTimer bound;
        bound.setSingleShot(true);
        bound.start(static_cast<int>(timeoutMs));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return PumpMessages();
    }
    queue->WaitForWork(Clock::now() + std::chrono::milliseconds(timeoutMs));
    return PumpMessages();
}

void PostQuitMessage(int exitCode)
{
    // Queued like a message, so a loop that starts later still sees it.
    CurrentThreadQueue()->RequestQuit(exitCode);
}

bool PostQuitToThread(std::uint32_t threadId, int exitCode)
{
    auto queue = FindThreadQueue(threadId);
    return queue && queue->RequestQuit(exitCode);
}

} // namespace Ombrel
