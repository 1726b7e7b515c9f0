#include "ombrel/gui/grid/Dispatcher.h"

#include <map>

#include "ombrel/base/CriticalSection.h"
#include "ombrel/base/ThreadId.h"
#include "ombrel/common/DataObject.h"
#include "ombrel/gui/grid/GridItem.h"
#include "ombrel/gui/grid/GridRows.h"
#include "ombrel/gui/grid/ItemContainer.h"
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
    using Registry = std::multimap<Common::CDataObject*, CGridItem*>;

    // Guards the registry and the object being destroyed. Re-entrant: removing rows during
    // delivery or destruction unregisters them on the same thread.
    mutable CCriticalSection lock;
    Registry registry; // by object address; one object's entries in registration order
    // The object whose destruction is being processed: its last entries leave without an
    // unsubscribe, its sink list being empty already.
    const Common::CDataObject* destroying = nullptr;
    CDispatcherWindow window{*this};

    Registry::iterator Find(const Common::CDataObject* object, const CGridItem* row);
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

CDispatcher::Impl::Registry::iterator CDispatcher::Impl::Find(const Common::CDataObject* object,
                                                              const CGridItem* row)
{
    auto [first, last] = registry.equal_range(const_cast<Common::CDataObject*>(object));
    for (; first != last; ++first) {
        if (first->second == row)
            return first;
    }
    return registry.end();
}

void CDispatcher::Impl::Deliver(Common::CDataObject* object, int fieldId)
{
    CScopedLock guard(lock);
    auto [first, last] = registry.equal_range(object);
    if (first == last)
        return; // the object lost its rows (or was destroyed) after posting
    if (std::next(first) == last) {
        first->second->OnUpdate(fieldId);
        return;
    }
    // Handing a row the update may remove rows of this object: walk a copy, re-checking each.
    std::vector<CGridItem*> rows;
    for (; first != last; ++first)
        rows.push_back(first->second);
    for (CGridItem* row : rows) {
        if (Find(object, row) != registry.end())
            row->OnUpdate(fieldId);
    }
}

void CDispatcher::Impl::ProcessDestroy(Common::CDataObject* object)
{
    CScopedLock guard(lock);
    const Common::CDataObject* outer = destroying;
    destroying = object;
    std::vector<CGridItem*> rows;
    auto [first, last] = registry.equal_range(object);
    for (; first != last; ++first)
        rows.push_back(first->second);
    for (CGridItem* row : rows) {
        if (Find(object, row) == registry.end())
            continue; // went with a subtree removed before it
        CGridRows* grid = row->GetContainer()->GetGridRows();
        if (!grid || !grid->Remove(row))
            delete row;
    }
    registry.erase(object);
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
        first = !m_impl->registry.contains(object);
        m_impl->registry.emplace(object, row);
    }
    if (first)
        object->Subscribe(&m_impl->window);
}

void CDispatcher::Unregister(Common::CDataObject* object, CGridItem* row)
{
    bool unsubscribe = false;
    {
        CScopedLock guard(m_impl->lock);
        const auto entry = m_impl->Find(object, row);
        if (entry == m_impl->registry.end())
            return;
        m_impl->registry.erase(entry);
        unsubscribe = !m_impl->registry.contains(object) && object != m_impl->destroying;
    }
    if (unsubscribe)
        object->Unsubscribe(&m_impl->window);
}

bool CDispatcher::IsRegistered(const Common::CDataObject* object, const CGridItem* row) const
{
    CScopedLock guard(m_impl->lock);
    return object && m_impl->Find(object, row) != m_impl->registry.end();
}

bool CDispatcher::HasObject(const Common::CDataObject* object) const
{
    CScopedLock guard(m_impl->lock);
    return m_impl->registry.contains(const_cast<Common::CDataObject*>(object));
}

void CDispatcher::GetRows(const Common::CDataObject* object, std::vector<CGridItem*>& out,
                          const CGridRows* grid) const
{
    CScopedLock guard(m_impl->lock);
    auto [first, last] = m_impl->registry.equal_range(const_cast<Common::CDataObject*>(object));
    for (; first != last; ++first) {
        const CGridRows* owner = first->second->GetContainer()->GetGridRows();
        if (owner && (!grid || owner == grid))
            out.push_back(first->second);
    }
}

std::uint32_t CDispatcher::GetOwnerThreadId() const
{
    return m_impl->window.GetOwnerThreadId();
}

} // namespace Ombrel::GUI
