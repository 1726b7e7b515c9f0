#include "ombrel/common/DataObject.h"

// Notification flow and what the lock guards
// ------------------------------------------
// NotifyUpdate: under the lock, copy the sink list and register the call as running on this
// thread; then, for each sink of the copy in order, under the lock check that it is still
// subscribed and note it as the sink this call is in; call it without the lock; clear the
// note. Finally unregister the call.
// Unsubscribe: under the lock, remove the sink, then wait until no call on another thread is
// inside that sink. Destruction: under the lock, take the whole list, then wait until every
// call on another thread has ended (each one skips its remaining sinks, the list being
// empty), and only then tell the former sinks OnDestroy.
// Calls running on the waiting thread itself are never waited for: they are further up its
// own stack.
//
// Lifetime of the private part: it is made with the object and held by the object, by every
// NotifyUpdate in progress and by every thread waiting in Unsubscribe; the last holder frees
// it. So a sink may destroy the object it is being notified about (the loop goes on with
// the part, finds the list empty and ends), and a thread waiting in Unsubscribe for a call that
// ends by destroying the object wakes up in memory that is still there.

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <memory_resource>
#include <mutex>
#include <thread>
#include <vector>

#include "ombrel/base/HugePageMemory.h"
#include "ombrel/common/CompactLock.h"
#include "ombrel/common/Field.h"
#include "ombrel/common/FieldMap.h"
#include "ombrel/common/LockedPool.h"
#include "ombrel/common/Format.h"
#include "ombrel/common/Serializer.h"

namespace Ombrel::Common {

namespace {

constexpr std::int32_t kSerializeVersion = 1;

const std::string& SharedEmptyString()
{
    static const std::string empty;
    return empty;
}

// The format that turns a field's value into text: the caller's, else the field's own, else
// the default of the field's kind.
const CFormat* ChooseFormat(const CFormat* requested, const CField& field)
{
    if (requested != nullptr)
        return requested;
    if (field.GetFormat() != nullptr)
        return field.GetFormat();
    return CFormat::GetDefaultFormat(field.GetType());
}

// The sinks of one object in subscription order, in one word. Nearly every shown object has
// exactly one sink (the dispatcher): the word is then that sink's address. From the second
// sink on, the word points to an array of all of them, marked by its lowest bit (a sink is a
// polymorphic object, so its address is never odd).
class CSinkList
{
public:
    using ISink = CDataObject::ISink;

    CSinkList() = default;
    CSinkList(const CSinkList&) = delete;
    CSinkList& operator=(const CSinkList&) = delete;
    ~CSinkList() { Clear(); }

    bool IsEmpty() const { return m_word == 0; }
    bool Contains(const ISink* sink) const
    {
        if (const std::vector<ISink*>* many = Many())
            return std::find(many->begin(), many->end(), sink) != many->end();
        return Single() == sink;
    }
    void Append(ISink* sink)
    {
        if (IsEmpty())
            SetSingle(sink);
        else if (std::vector<ISink*>* many = Many())
            many->push_back(sink);
        else
            SetMany(new std::vector<ISink*>{Single(), sink});
    }
    void Remove(const ISink* sink)
    {
        std::vector<ISink*>* many = Many();
        if (many == nullptr) {
            if (Single() == sink)
                m_word = 0;
            return;
        }
        std::erase(*many, sink);
        if (many->size() == 1) {  // back to one word
            ISink* remaining = many->front();
            delete many;
            SetSingle(remaining);
        }
    }
    void Clear()
    {
        delete Many();
        m_word = 0;
    }
    // Calls `visit` for each sink, in order.
    template <class Visitor>
    void ForEach(Visitor&& visit) const
    {
        if (const std::vector<ISink*>* many = Many()) {
            for (ISink* sink : *many)
                visit(sink);
        } else if (ISink* single = Single()) {
            visit(single);
        }
    }

private:
    static constexpr std::uintptr_t kManyMark = 1;
    static_assert(alignof(ISink) > kManyMark, "a sink's address leaves the mark bit clear");

    std::vector<ISink*>* Many() const
    {
        return (m_word & kManyMark) != 0 ? reinterpret_cast<std::vector<ISink*>*>(m_word & ~kManyMark) : nullptr;
    }
    ISink* Single() const { return (m_word & kManyMark) == 0 ? reinterpret_cast<ISink*>(m_word) : nullptr; }
    void SetSingle(ISink* sink) { m_word = reinterpret_cast<std::uintptr_t>(sink); }
    void SetMany(std::vector<ISink*>* many) { m_word = reinterpret_cast<std::uintptr_t>(many) | kManyMark; }

    // 0: no sink; an even address: the one sink; an odd one: the array of two or more.
    std::uintptr_t m_word = 0;
};

// A copy of the sink list taken by one NotifyUpdate; a few sinks need no allocation.
class CSinkSnapshot
{
public:
    using ISink = CDataObject::ISink;

    void CopyFrom(const CSinkList& list)
    {
        list.ForEach([this](ISink* sink) { Append(sink); });
    }
    std::size_t size() const { return m_count; }
    ISink* operator[](std::size_t index) const
    {
        return index < kInline ? m_inline[index] : m_more[index - kInline];
    }

private:
    void Append(ISink* sink)
    {
        if (m_count < kInline)
            m_inline[m_count] = sink;
        else
            m_more.push_back(sink);
        ++m_count;
    }

    static constexpr std::size_t kInline = 4;
    ISink* m_inline[kInline] = {};
    std::vector<ISink*> m_more;
    std::size_t m_count = 0;
};

// Where threads wait for a call on another thread to leave a sink or end. Waiting is rare
// (Unsubscribe or destruction while another thread notifies the same object), so all objects
// share one condition instead of each carrying its own; a waiter rechecks its own object's
// state after every wake-up. Never destroyed: objects may outlive static destruction.
std::condition_variable_any& CallChanged()
{
    static auto* changed = new std::condition_variable_any;
    return *changed;
}

#if defined(__SANITIZE_ADDRESS__)
#define OMBREL_PARTS_FROM_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define OMBREL_PARTS_FROM_HEAP 1
#endif
#endif

// Where the private parts of data objects come from. A table of a million objects makes a
// million parts at once: a pool carves them out of large blocks on huge pages, which fills
// memory far faster than the heap does with a 4 KiB page fault at a time, and costs 24 bytes
// a part instead of 32. Thread-safe, as objects are made and destroyed on any thread. Under
// AddressSanitizer parts come from the heap, so that a part used after it was freed is
// reported. Never destroyed: objects may outlive static destruction.
std::pmr::memory_resource& PartMemory()
{
#if defined(OMBREL_PARTS_FROM_HEAP)
    return *std::pmr::new_delete_resource();
#else
    static auto* const pool = new CLockedPool(64, &CHugePageMemory::Get());
    return *pool;
#endif
}

} // namespace

// Kept to three words: every row of a table carries one.
struct CDataObject::Impl
{
    static void* operator new(std::size_t bytes) { return PartMemory().allocate(bytes, alignof(Impl)); }
    static void operator delete(void* part, std::size_t bytes)
    {
        PartMemory().deallocate(part, bytes, alignof(Impl));
    }

    // One NotifyUpdate in progress; lives on the notifying thread's stack, linked into `calls`
    // under the lock for exactly as long as it runs.
    struct RunningCall
    {
        std::thread::id thread = std::this_thread::get_id();
        ISink* sink = nullptr;        // the sink being called right now, if any
        RunningCall* next = nullptr;  // the call registered before this one
    };

    CCompactLock lock;             // guards everything below
    std::uint16_t waiters = 0;     // threads waiting on CallChanged() for this object
    std::uint32_t holders = 1;     // the object, running calls, waiting Unsubscribes
    CSinkList sinks;               // subscription order, no duplicates, not owned
    RunningCall* calls = nullptr;  // NotifyUpdate calls in progress, on any thread

    // Registers `call` (and its hold on this part). Called with the lock held.
    void AddCall(RunningCall& call)
    {
        call.next = calls;
        calls = &call;
        ++holders;
    }

    // Unregisters `call`, wakes the threads waiting for it and lets its hold go.
    static void FinishCall(Impl* impl, const RunningCall& call)
    {
        std::unique_lock guard(impl->lock);
        for (RunningCall** link = &impl->calls; *link != nullptr; link = &(*link)->next) {
            if (*link == &call) {
                *link = call.next;
                break;
            }
        }
        impl->SignalCallChanged();
        ReleaseLocked(impl, guard);
    }

    // Lets one hold go; the last one frees the part. `guard` holds the lock and is released.
    static void ReleaseLocked(Impl* impl, std::unique_lock<CCompactLock>& guard)
    {
        const bool last = --impl->holders == 0;
        guard.unlock();
        if (last)
            delete impl;  // no other thread can reach it: none holds it
    }

    // Wakes the threads waiting for a call to change. Called with the lock held.
    void SignalCallChanged() const
    {
        if (waiters > 0)
            CallChanged().notify_all();
    }

    // Waits, releasing `guard` meanwhile, until `done` holds. The caller holds the part.
    template <class Done>
    void WaitForCalls(std::unique_lock<CCompactLock>& guard, Done done)
    {
        if (done())
            return;
        ++waiters;
        CallChanged().wait(guard, done);
        --waiters;
    }

    // True while a NotifyUpdate on another thread is inside `sink`.
    bool IsCalledElsewhere(const ISink* sink) const
    {
        const std::thread::id self = std::this_thread::get_id();
        for (const RunningCall* call = calls; call != nullptr; call = call->next) {
            if (call->thread != self && call->sink == sink)
                return true;
        }
        return false;
    }

    // True while a NotifyUpdate on another thread is in progress.
    bool IsNotifyingElsewhere() const
    {
        const std::thread::id self = std::this_thread::get_id();
        for (const RunningCall* call = calls; call != nullptr; call = call->next) {
            if (call->thread != self)
                return true;
        }
        return false;
    }
};

void CDataObject::ISink::OnUpdate(const std::set<int>& fieldIds, CDataObject* object)
{
    for (int fieldId : fieldIds)
        OnUpdate(fieldId, object);
}

void CDataObject::ISink::OnDestroy(CDataObject*) {}

CDataObject::CDataObject() : m_impl(new Impl)
{
    static_assert(sizeof(void*) != 8 || sizeof(Impl) <= 24, "the private part stays three words");
}

CDataObject::CDataObject(const CDataObject&) : m_impl(new Impl) {}

CDataObject& CDataObject::operator=(const CDataObject&) { return *this; }

CDataObject::~CDataObject()
{
    NotifyDestroy();
    std::unique_lock guard(m_impl->lock);
    Impl::ReleaseLocked(m_impl, guard);
}

// --- Subscription and notification -------------------------------------------------------

void CDataObject::Subscribe(ISink* sink)
{
    if (sink == nullptr)
        return;
    std::lock_guard guard(m_impl->lock);
    if (!m_impl->sinks.Contains(sink))
        m_impl->sinks.Append(sink);
}

void CDataObject::Unsubscribe(ISink* sink)
{
    if (sink == nullptr)
        return;
    Impl* impl = m_impl;
    std::unique_lock guard(impl->lock);
    impl->sinks.Remove(sink);
    if (!impl->IsCalledElsewhere(sink))
        return;
    // The call waited for may end by destroying this object: the wait holds the part.
    ++impl->holders;
    impl->WaitForCalls(guard, [impl, sink] { return !impl->IsCalledElsewhere(sink); });
    Impl::ReleaseLocked(impl, guard);
}

void CDataObject::NotifyUpdate(int fieldId)
{
    Impl* impl = m_impl;
    CSinkSnapshot sinks;
    Impl::RunningCall call;
    {
        std::lock_guard guard(impl->lock);
        if (impl->sinks.IsEmpty())
            return;
        sinks.CopyFrom(impl->sinks);
        impl->AddCall(call);  // holds the part should a sink destroy this object
    }

    struct EndCall
    {
        Impl* impl;
        const Impl::RunningCall& call;
        ~EndCall() { Impl::FinishCall(impl, call); }
    } endCall{impl, call};

    for (std::size_t index = 0; index < sinks.size(); ++index)
    {
        ISink* sink = sinks[index];
        {
            std::lock_guard guard(impl->lock);
            if (!impl->sinks.Contains(sink))
                continue;  // unsubscribed (or the object destroyed) since the copy was taken
            call.sink = sink;
        }
        struct LeaveSink
        {
            Impl& impl;
            Impl::RunningCall& call;
            ~LeaveSink()
            {
                std::lock_guard guard(impl.lock);
                call.sink = nullptr;
                impl.SignalCallChanged();
            }
        } leaveSink{*impl, call};
        sink->OnUpdate(fieldId, this);
    }
}

void CDataObject::NotifyDestroy()
{
    Impl* impl = m_impl;
    CSinkSnapshot sinks;
    {
        std::unique_lock guard(impl->lock);
        sinks.CopyFrom(impl->sinks);
        impl->sinks.Clear();
        impl->WaitForCalls(guard, [impl] { return !impl->IsNotifyingElsewhere(); });
    }
    for (std::size_t index = 0; index < sinks.size(); ++index)
        sinks[index]->OnDestroy(this);
}

// --- Fields ------------------------------------------------------------------------------

CFieldMap* CDataObject::GetFieldMap() { return std::as_const(*this).GetFieldMap(); }

CFieldMap* CDataObject::GetFieldMap() const { return nullptr; }

CDataObject::FieldRef CDataObject::GetField(int id)
{
    const CFieldMap* map = GetFieldMap();
    if (map == nullptr)
        return {nullptr, nullptr};
    return {map->GetField(id), this};
}

void CDataObject::GetFieldRefs(FieldRefSet& refs)
{
    const CFieldMap* map = GetFieldMap();
    if (map == nullptr)
        return;
    for (const CFieldMap* level = map; level != nullptr; level = level->GetBaseMap())
    {
        std::set<CField*> fields;
        level->CollectFields(fields);
        for (CField* field : fields)
        {
            // A base field hidden by a derived one of the same identifier is not reachable.
            if (map->GetField(field->GetId()) == field)
                refs.emplace(field, this);
        }
    }
}

void CDataObject::GetFieldIds(FieldIdSet& ids)
{
    for (const CFieldMap* level = GetFieldMap(); level != nullptr; level = level->GetBaseMap())
    {
        std::set<CField*> fields;
        level->CollectFields(fields);
        for (const CField* field : fields)
            ids.insert(field->GetId());
    }
}

bool CDataObject::IsReadable(int id)
{
    const auto [field, object] = GetField(id);
    return field != nullptr && field->GetGetter() != nullptr;
}

bool CDataObject::IsWritable(int id)
{
    const auto [field, object] = GetField(id);
    return field != nullptr && field->GetSetter() != nullptr;
}

ValueType CDataObject::GetFieldType(int id)
{
    const CField* field = GetField(id).first;
    return field != nullptr ? field->GetType() : vtEmpty;
}

std::string CDataObject::GetFieldName(int id)
{
    const CField* field = GetField(id).first;
    return field != nullptr ? field->GetName() : std::string();
}

CFormat* CDataObject::GetFieldFormat(int id)
{
    const CField* field = GetField(id).first;
    return field != nullptr ? field->GetFormat() : nullptr;
}

// --- Typed access --------------------------------------------------------------------------

namespace {

template <class T>
T ReadField(const CDataObject::FieldRef& ref)
{
    T value{};
    if (ref.first != nullptr && ref.second != nullptr)
        ref.first->CallGetter(*ref.second, value);
    return value;
}

template <class T>
bool WriteField(const CDataObject::FieldRef& ref, const T& value)
{
    return ref.first != nullptr && ref.second != nullptr && ref.first->CallSetter(*ref.second, value);
}

} // namespace

CString CDataObject::GetString(int id) { return ReadField<CString>(GetField(id)); }
std::string CDataObject::GetStdString(int id) { return ReadField<std::string>(GetField(id)); }
char CDataObject::GetChar(int id) { return ReadField<char>(GetField(id)); }
unsigned char CDataObject::GetUChar(int id) { return ReadField<unsigned char>(GetField(id)); }
short CDataObject::GetShort(int id) { return ReadField<short>(GetField(id)); }
unsigned short CDataObject::GetUShort(int id) { return ReadField<unsigned short>(GetField(id)); }
std::int32_t CDataObject::GetLong(int id) { return ReadField<std::int32_t>(GetField(id)); }
std::uint32_t CDataObject::GetULong(int id) { return ReadField<std::uint32_t>(GetField(id)); }
std::int64_t CDataObject::GetInt64(int id) { return ReadField<std::int64_t>(GetField(id)); }
bool CDataObject::GetBool(int id) { return ReadField<bool>(GetField(id)); }
float CDataObject::GetFloat(int id) { return ReadField<float>(GetField(id)); }
double CDataObject::GetDouble(int id) { return ReadField<double>(GetField(id)); }
OpaqueValue CDataObject::GetOpaque(int id) { return ReadField<OpaqueValue>(GetField(id)); }

bool CDataObject::SetString(int id, const CString& value) { return WriteField(GetField(id), value); }
bool CDataObject::SetStdString(int id, const std::string& value) { return WriteField(GetField(id), value); }
bool CDataObject::SetChar(int id, char value) { return WriteField(GetField(id), value); }
bool CDataObject::SetUChar(int id, unsigned char value) { return WriteField(GetField(id), value); }
bool CDataObject::SetShort(int id, short value) { return WriteField(GetField(id), value); }
bool CDataObject::SetUShort(int id, unsigned short value) { return WriteField(GetField(id), value); }
bool CDataObject::SetLong(int id, std::int32_t value) { return WriteField(GetField(id), value); }
bool CDataObject::SetULong(int id, std::uint32_t value) { return WriteField(GetField(id), value); }
bool CDataObject::SetInt64(int id, std::int64_t value) { return WriteField(GetField(id), value); }
bool CDataObject::SetBool(int id, bool value) { return WriteField(GetField(id), value); }
bool CDataObject::SetFloat(int id, float value) { return WriteField(GetField(id), value); }
bool CDataObject::SetDouble(int id, double value) { return WriteField(GetField(id), value); }
bool CDataObject::SetOpaque(int id, OpaqueValue value) { return WriteField(GetField(id), value); }

CValue CDataObject::GetValue(int id)
{
    const auto [field, object] = GetField(id);
    if (field == nullptr || object == nullptr)
        return CValue();
    return field->GetValue(*object);
}

bool CDataObject::SetValue(int id, const CValue& value)
{
    const auto [field, object] = GetField(id);
    return field != nullptr && object != nullptr && field->SetValue(*object, value);
}

// --- Text --------------------------------------------------------------------------------

CFormattedText CDataObject::GetFormattedValue(int id, CFormat* format)
{
    const auto [field, object] = GetField(id);
    if (field == nullptr || object == nullptr)
        return CFormattedText();
    return CFormattedText(field->FormatValue(*object, ChooseFormat(format, *field)));
}

bool CDataObject::SetFormattedValue(int id, const CString& text, CFormat* format)
{
    const auto [field, object] = GetField(id);
    return field != nullptr && object != nullptr &&
           field->ParseValue(*object, text, ChooseFormat(format, *field));
}

bool CDataObject::SetFormattedValue(int id, const std::string& text, CFormat* format)
{
    const auto [field, object] = GetField(id);
    return field != nullptr && object != nullptr &&
           field->ParseValue(*object, text, ChooseFormat(format, *field));
}

bool CDataObject::SetFormattedValue(int id, const char* text, CFormat* format)
{
    return SetFormattedValue(id, std::string(text != nullptr ? text : ""), format);
}

// --- Persistence ---------------------------------------------------------------------------

const std::string& CDataObject::GetClassName() { return SharedEmptyString(); }

bool CDataObject::IsSerializable() { return false; }

void CDataObject::Serialize(CSerializer& serializer)
{
    if (!serializer.IsRestoring())
    {
        FieldIdSet ids;
        GetFieldIds(ids);
        serializer.Store(kSerializeVersion);
        serializer.Store(static_cast<std::int32_t>(ids.size()));
        for (int id : ids)
        {
            serializer.Store(static_cast<std::int32_t>(id));
            serializer.Store(GetValue(id));
        }
        return;
    }

    std::int32_t version = 0;
    serializer.Restore(version);
    if (version <= 0)
        return;
    if (version > kSerializeVersion)
        throw CSerializer::BadVersionException(
            "CDataObject doesn't support current version and can't be deserialized.");
    std::int32_t count = 0;
    serializer.Restore(count);
    // Each entry consumes at least five bytes or throws, so a huge count cannot loop for
    // longer than the stream lasts.
    for (std::int32_t index = 0; index < count; ++index)
    {
        std::int32_t id = 0;
        CValue value;
        serializer.Restore(id);
        serializer.Restore(value);
        // An empty value carries nothing (opaque values are written without their payload);
        // setting it would overwrite the field with zero.
        if (!value.IsEmpty())
            SetValue(id, value);
    }
}

} // namespace Ombrel::Common
