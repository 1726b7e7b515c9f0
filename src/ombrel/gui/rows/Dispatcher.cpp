#include "ombrel/gui/rows/Dispatcher.h"

#include <algorithm>
#include <cassert>

#include "ombrel/base/CriticalSection.h"
#include "ombrel/base/ThreadId.h"
#include "ombrel/common/DataObject.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/gui/rows/GridRows.h"
#include "ombrel/gui/rows/ItemContainer.h"
#include "ombrel/gui/rows/detail/ObjectRowMap.h"
#include "ombrel/platform/WindowMessaging.h"
#include "ombrel/platform/Wnd.h"

// Flow of a notification
//   worker:  CDataObject::NotifyUpdate -> OnUpdate -> PostMessage(sync message, code 0)
//   owner:   WindowProc -> Deliver: registry lock -> each row of the object, in registration
//            order -> CGridItem::OnUpdate -> the grid's reaction
//   worker:  ~CDataObject -> OnDestroy -> SendMessage(sync message, code 1), blocking
//   owner:   ProcessDestroy: registry lock -> rows removed from their grids (or deleted when
//            pooled) -> the object's entries erased -> the worker goes on with its destructor
// Posted updates carry only the object's address and the field identifier, both packed into
// the message parameters, so a change allocates nothing. The address is used only as a
// registry key after posting: an object destroyed meanwhile simply has no rows left.

namespace Ombrel::GUI {

namespace {

constexpr const char* kWindowClassName = "Ombrel.Grid.Dispatcher";
constexpr UINT kWindowClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
static_assert(kWindowClassStyle == 11, "the dispatcher's class style is fixed");

// Message codes (low 32 bits of wParam).
constexpr std::uint32_t kDeliverUpdate = 0;   // high 32 bits: field id; lParam: the object
constexpr std::uint32_t kObjectDestroyed = 1; // lParam: the object

// Registered during static initialisation, so that every thread sees the same identifier.
const UINT g_syncMessage = RegisterWindowMessage("Ombrel.Grid.Dispatcher.SyncMessage");

WPARAM PackUpdate(int fieldId)
{
    return static_cast<WPARAM>(kDeliverUpdate) |
           (static_cast<WPARAM>(static_cast<std::uint32_t>(fieldId)) << 32);
}

int UnpackFieldId(WPARAM wParam)
{
    return static_cast<int>(static_cast<std::uint32_t>(wParam >> 32));
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

    bool Contains(const Common::CDataObject* object, const CGridItem* row) const;
    // Removes one entry; true when it was the object's last one and the object should be
    // unsubscribed. Called with the lock held.
    bool RemoveEntry(Common::CDataObject* object, const CGridItem* row);
    std::vector<CGridItem*> RowsOf(const Common::CDataObject* object) const;
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
    // Posted even on the owner thread: rows never change inside the caller's setter. A post
    // that fails loses this change until the next one.
    PostMessage(g_syncMessage, PackUpdate(fieldId), reinterpret_cast<LPARAM>(object));
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
    auto* object = reinterpret_cast<Common::CDataObject*>(lParam);
    switch (static_cast<std::uint32_t>(wParam & 0xFFFFFFFFu)) {
    case kDeliverUpdate:
        m_dispatcher.Deliver(object, UnpackFieldId(wParam));
        break;
    case kObjectDestroyed:
        m_dispatcher.ProcessDestroy(object);
        break;
    default:
        break;
    }
    return 0;
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

void CDispatcher::Impl::Deliver(Common::CDataObject* object, int fieldId)
{
    assert(GetCurrentThreadId() == window.GetOwnerThreadId() &&
           "rows hear of changes only on the dispatcher's owner thread");
    CScopedLock guard(lock);
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

void CDispatcher::RegisterRows(std::span<CGridItem* const> rows)
{
    std::vector<Common::CDataObject*> firstShown;
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
            if (m_impl->registry.Add(object, row))
                firstShown.push_back(object);
        }
    }
    // Outside the lock, as Register does.
    for (Common::CDataObject* object : firstShown)
        object->Subscribe(&m_impl->window);
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
