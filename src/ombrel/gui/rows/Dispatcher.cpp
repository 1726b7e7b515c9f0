#include "ombrel/gui/rows/Dispatcher.h"

#include <algorithm>
#include <cassert>
#include <chrono>
#include <memory_resource>

#include "ombrel/base/CriticalSection.h"
#include "ombrel/base/HugePageMemory.h"
#include "ombrel/base/ThreadId.h"
#include "ombrel/common/DataObject.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/gui/rows/GridRows.h"
#include "ombrel/gui/rows/ItemContainer.h"
#include "ombrel/gui/rows/detail/DispatcherDiagnostics.h"
#include "ombrel/gui/rows/detail/ObjectRowMap.h"
#include "ombrel/gui/rows/detail/PendingChanges.h"
#include "ombrel/platform/WindowMessaging.h"
#include "ombrel/platform/Wnd.h"

// Flow of a notification
//   worker:  CDataObject::NotifyUpdate -> OnUpdate -> CPendingChanges::Push; the first change
//            of a burst posts one wake (sync message, code 0); a change whose (object, field)
//            is still pending is absorbed by it
//   owner:   WindowProc -> DeliverPending: rounds of changes taken from the queue, each under
//            the registry lock -> each row of the object, in registration order ->
//            CGridItem::OnUpdate -> the grid's reaction; a round that runs out of time posts
//            the next wake and returns, so input, timers and paint get their turn in between
//   worker:  ~CDataObject -> OnDestroy -> SendMessage(sync message, code 1), blocking
//   owner:   ProcessDestroy: registry lock -> rows removed from their grids (or deleted when
//            pooled) -> the object's entries erased -> the worker goes on with its destructor
// A pending change holds only the object's address and the field identifier. The address is
// used only as a registry key after pushing: an object destroyed meanwhile simply has no rows
// left. While the owner thread keeps up (a round ends with the queue empty), every change
// notified before a message is posted to the owner thread is delivered before that message.

namespace Ombrel::GUI {

namespace {

constexpr const char* kWindowClassName = "Ombrel.Grid.Dispatcher";
constexpr UINT kWindowClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
static_assert(kWindowClassStyle == 11, "the dispatcher's class style is fixed");

// Message codes (wParam).
constexpr std::uint32_t kDeliverPending = 0;  // lParam unused: the changes wait in the queue
constexpr std::uint32_t kObjectDestroyed = 1; // lParam: the object

// Registered during static initialisation, so that every thread sees the same identifier.
const UINT g_syncMessage = RegisterWindowMessage("Ombrel.Grid.Dispatcher.SyncMessage");

// A round of delivery stops taking changes after this long and yields to the event loop. Long
// enough that a round amortises its wake, short enough that a key press or a frame waiting
// behind it is not noticed.
constexpr std::chrono::milliseconds kRoundBudget{8};
// Changes taken from the queue at a time: one registry lock and one clock reading for each.
constexpr std::size_t kChangesPerTake = 256;
// How far ahead of the change being delivered its successors' memory is asked for: the
// registry slot and the object this many changes ahead, the row half as far. In a large grid
// every change touches memory nobody touched lately; asking early lets the reads of several
// changes overlap instead of following one another.
constexpr std::size_t kPrefetchDistance = 8;

// Only hints: nothing is read, so an address that went stale meanwhile costs nothing.
[[gnu::always_inline]] inline void PrefetchLines(const void* address, std::size_t bytes)
{
    const auto* first = static_cast<const char*>(address);
    for (std::size_t offset = 0; offset < bytes; offset += 64)
        __builtin_prefetch(first + offset);
    __builtin_prefetch(first + bytes - 1);
}

} // namespace

// The hidden window of the owner thread and the one sink subscribed to every shown object.
class CDispatcherWindow final : public CWnd, public Common::CDataObject::ISink
{
public:
    explicit CDispatcherWindow(CDispatcher::Impl& dispatcher) : m_dispatcher(dispatcher) {}

    using CWnd::OnDestroy; // the window message handler stays reachable beside the sink

    bool Create();
    std::uint32_t GetOwnerThreadId() const { return m_ownerThreadId; }
    static std::size_t GetPendingCount(const CDispatcher& dispatcher);

    void OnUpdate(const std::set<int>&, Common::CDataObject*) override {}
    void OnUpdate(int fieldId, Common::CDataObject* object) override;
    void OnDestroy(Common::CDataObject* object) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    CDispatcher::Impl& m_dispatcher;
    std::uint32_t m_ownerThreadId = 0;
};

struct CDispatcher::Impl
{
    // Guards the registry and the object being destroyed. Re-entrant: removing rows during
    // delivery or destruction unregisters them on the same thread.
    mutable CCriticalSection lock;
    CObjectRowMap registry; // by object address
    // The object whose destruction is being processed: its last entries leave without an
    // unsubscribe, its sink list being empty already.
    const Common::CDataObject* destroying = nullptr;
    CDispatcherWindow window{*this};
    CPendingChanges pending;
    // The owner thread's buffer for a take; kept so that a round allocates nothing.
    std::vector<PendingChange> batch;

    bool Contains(const Common::CDataObject* object, const CGridItem* row) const;
    // Removes one entry; true when it was the object's last one and the object should be
    // unsubscribed. Called with the lock held.
    bool RemoveEntry(Common::CDataObject* object, const CGridItem* row);
    std::vector<CGridItem*> RowsOf(const Common::CDataObject* object) const;
    void Queue(Common::CDataObject* object, int fieldId);
    void PostWake();
    void DeliverPending();
    // Delivers a take of changes in order, asking for the memory of the ones ahead. Called
    // with the lock held.
    void DeliverTake(std::span<const PendingChange> changes);
    // Hands one change to the object's rows. Called with the lock held.
    void Deliver(Common::CDataObject* object, int fieldId);
    void ProcessDestroy(Common::CDataObject* object);
};

// ---- Window and sink ----------------------------------------------------------------------

bool CDispatcherWindow::Create()
{
    if (!IsWindowClassRegistered(kWindowClassName))
        RegisterWindowClass(kWindowClassName, kWindowClassStyle);
    m_ownerThreadId = GetCurrentThreadId();
    return CreateMessageOnly(kWindowClassName);
}

void CDispatcherWindow::OnUpdate(int fieldId, Common::CDataObject* object)
{
    // Queued even on the owner thread: rows never change inside the caller's setter.
    m_dispatcher.Queue(object, fieldId);
}

void CDispatcherWindow::OnDestroy(Common::CDataObject* object)
{
    if (GetCurrentThreadId() == m_ownerThreadId)
        m_dispatcher.ProcessDestroy(object);
    else
        SendMessage(g_syncMessage, kObjectDestroyed, reinterpret_cast<LPARAM>(object));
}

LRESULT CDispatcherWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != g_syncMessage || g_syncMessage == 0)
        return CWnd::WindowProc(message, wParam, lParam);
    switch (static_cast<std::uint32_t>(wParam)) {
    case kDeliverPending:
        m_dispatcher.DeliverPending();
        break;
    case kObjectDestroyed:
        m_dispatcher.ProcessDestroy(reinterpret_cast<Common::CDataObject*>(lParam));
        break;
    default:
        break;
    }
    return 0;
}

std::size_t CDispatcherWindow::GetPendingCount(const CDispatcher& dispatcher)
{
    return dispatcher.m_impl->pending.GetCount();
}

std::size_t GetDispatcherPendingCount()
{
    return CDispatcherWindow::GetPendingCount(CDispatcher::GetInstance());
}

// ---- Registry -----------------------------------------------------------------------------

bool CDispatcher::Impl::Contains(const Common::CDataObject* object, const CGridItem* row) const
{
    return registry.Contains(object, row);
}

bool CDispatcher::Impl::RemoveEntry(Common::CDataObject* object, const CGridItem* row)
{
    return registry.Remove(object, row) == CObjectRowMap::Removal::Last && object != destroying;
}

std::vector<CGridItem*> CDispatcher::Impl::RowsOf(const Common::CDataObject* object) const
{
    std::vector<CGridItem*> rows;
    registry.CopyRows(object, rows);
    return rows;
}

void CDispatcher::Impl::Queue(Common::CDataObject* object, int fieldId)
{
    if (pending.Push(object, fieldId))
        PostWake();
}

void CDispatcher::Impl::PostWake()
{
    // Without a wake the changes would wait for the next one: let the next Push post again.
    if (!window.PostMessage(g_syncMessage, kDeliverPending, 0))
        pending.OnWakeLost();
}

void CDispatcher::Impl::DeliverPending()
{
    assert(GetCurrentThreadId() == window.GetOwnerThreadId() &&
           "rows hear of changes only on the dispatcher's owner thread");
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + kRoundBudget;
    // A row's owner may run a nested message loop while it hears a change; the buffer is this
    // round's alone meanwhile.
    std::vector<PendingChange> changes = std::move(batch);
    do {
        pending.Take(changes, kChangesPerTake);
        if (changes.empty())
            break;
        CScopedLock guard(lock);
        DeliverTake(changes);
    } while (Clock::now() < deadline);
    changes.clear();
    batch = std::move(changes);
    if (pending.EndRound())
        PostWake();
}

void CDispatcher::Impl::DeliverTake(std::span<const PendingChange> changes)
{
    // The row found ahead is used for prefetching only: delivering the changes before it may
    // remove it, so each change looks its rows up again when its turn comes.
    constexpr std::size_t kRowDistance = kPrefetchDistance / 2;
    for (std::size_t index = 0; index < changes.size(); ++index) {
        if (index + kPrefetchDistance < changes.size()) {
            const Common::CDataObject* ahead = changes[index + kPrefetchDistance].object;
            registry.Prefetch(ahead);
            __builtin_prefetch(ahead);
        }
        if (index + kRowDistance < changes.size()) {
            if (const CGridItem* row = registry.SingleRow(changes[index + kRowDistance].object))
                PrefetchLines(row, sizeof(CGridItem));
        }
        Deliver(changes[index].object, changes[index].fieldId);
    }
}

void CDispatcher::Impl::Deliver(Common::CDataObject* object, int fieldId)
{
    // The caller holds the lock.
    if (CGridItem* row = registry.SingleRow(object)) {
        row->OnUpdate(fieldId);
        return;
    }
    // Several rows, or none when the object lost its rows (or was destroyed) after posting.
    // Handing a row the update may remove rows of this object: walk a copy, re-checking each.
    for (CGridItem* row : RowsOf(object)) {
        if (Contains(object, row))
            row->OnUpdate(fieldId);
    }
}

void CDispatcher::Impl::ProcessDestroy(Common::CDataObject* object)
{
    assert(GetCurrentThreadId() == window.GetOwnerThreadId() &&
           "rows of a destroyed object are removed only on the dispatcher's owner thread");
    CScopedLock guard(lock);
    const Common::CDataObject* outer = destroying;
    destroying = object;
    for (CGridItem* row : RowsOf(object)) {
        if (!Contains(object, row))
            continue; // went with a subtree removed before it
        CGridRows* grid = row->GetContainer()->GetGridRows();
        if (!grid || !grid->Remove(row))
            delete row;
    }
    registry.EraseObject(object);
    destroying = outer;
}

CDispatcher::CDispatcher() : m_impl(std::make_unique<Impl>())
{
    m_impl->window.Create();
}

CDispatcher::~CDispatcher()
{
    try {
        m_impl->window.DestroyWindow();
    } catch (...) {
        // Teardown goes on whatever the window system reports.
    }
}

CDispatcher& CDispatcher::GetInstance()
{
    // Never destroyed: at exit the window system's per-thread state is gone before static
    // objects are, and rows of static grids may still unregister while the process ends.
    static CDispatcher* const instance = new CDispatcher();
    return *instance;
}

void CDispatcher::Register(Common::CDataObject* object, CGridItem* row)
{
    if (!object || !row)
        return;
    bool first = false;
    {
        CScopedLock guard(m_impl->lock);
        assert(!m_impl->Contains(object, row) && "a row is registered once for its object");
        first = m_impl->registry.Add(object, row);
    }
    if (first)
        object->Subscribe(&m_impl->window);
}

void CDispatcher::ReserveObjects(std::size_t count)
{
    CScopedLock guard(m_impl->lock);
    m_impl->registry.ReserveTight(m_impl->registry.ObjectCount() + count);
}

void CDispatcher::RegisterRows(std::span<CGridItem* const> rows, Subscription subscription)
{
    // Nearly every object is new to the dispatcher: room for all of them, on huge pages when
    // the burst is large.
    const bool subscribes = subscription == Subscription::FirstShown;
    std::pmr::vector<Common::CDataObject*> firstShown(&CHugePageMemory::Get());
    if (subscribes)
        firstShown.reserve(rows.size());
    {
        CScopedLock guard(m_impl->lock);
        m_impl->registry.Reserve(m_impl->registry.ObjectCount() + rows.size());
        constexpr std::size_t kAhead = 16;
        for (std::size_t index = 0; index < rows.size(); ++index) {
            if (index + kAhead < rows.size())
                m_impl->registry.Prefetch(rows[index + kAhead]->GetDataObject());
            CGridItem* row = rows[index];
            Common::CDataObject* object = row->GetDataObject();
            if (!object)
                continue;
            assert(!m_impl->Contains(object, row) && "a row is registered once for its object");
            if (m_impl->registry.Add(object, row) && subscribes)
                firstShown.push_back(object);
        }
    }
    // Outside the lock, as Register does.
    for (Common::CDataObject* object : firstShown)
        object->Subscribe(&m_impl->window);
}

void CDispatcher::SubscribeObjectsOf(std::span<CGridItem* const> rows)
{
    for (const CGridItem* row : rows) {
        if (Common::CDataObject* object = row->GetDataObject())
            object->Subscribe(&m_impl->window);
    }
}

void CDispatcher::Unregister(Common::CDataObject* object, CGridItem* row)
{
    bool unsubscribe = false;
    {
        CScopedLock guard(m_impl->lock);
        unsubscribe = m_impl->RemoveEntry(object, row);
    }
    if (unsubscribe)
        object->Unsubscribe(&m_impl->window);
}

void CDispatcher::UnregisterRows(std::span<CGridItem* const> rows)
{
    std::vector<Common::CDataObject*> released;
    {
        CScopedLock guard(m_impl->lock);
        for (CGridItem* row : rows) {
            Common::CDataObject* object = row->GetDataObject();
            if (object && m_impl->RemoveEntry(object, row))
                released.push_back(object);
        }
    }
    // Outside the lock, as Unregister does: an unsubscribe waits for running deliveries.
    for (Common::CDataObject* object : released)
        object->Unsubscribe(&m_impl->window);
}

bool CDispatcher::IsRegistered(const Common::CDataObject* object, const CGridItem* row) const
{
    CScopedLock guard(m_impl->lock);
    return object && m_impl->Contains(object, row);
}

bool CDispatcher::HasObject(const Common::CDataObject* object) const
{
    CScopedLock guard(m_impl->lock);
    return m_impl->registry.HasObject(object);
}

void CDispatcher::GetRows(const Common::CDataObject* object, std::vector<CGridItem*>& out,
                          const CGridRows* grid) const
{
    CScopedLock guard(m_impl->lock);
    for (CGridItem* row : m_impl->RowsOf(object)) {
        const CGridRows* owner = row->GetContainer()->GetGridRows();
        if (owner && (!grid || owner == grid))
            out.push_back(row);
    }
}

std::uint32_t CDispatcher::GetOwnerThreadId() const
{
    return m_impl->window.GetOwnerThreadId();
}

} // namespace Ombrel::GUI
