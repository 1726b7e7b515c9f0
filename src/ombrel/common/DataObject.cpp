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

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "ombrel/base/CriticalSection.h"
#include "ombrel/common/Field.h"
#include "ombrel/common/FieldMap.h"
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

// The sinks of one object in subscription order. Nearly every shown object has exactly one
// sink (the dispatcher), so the first is kept inline and only further sinks take an array.
class CSinkList
{
public:
    using ISink = CDataObject::ISink;

    bool IsEmpty() const { return m_first == nullptr; }
    bool Contains(const ISink* sink) const
    {
        return m_first == sink || (m_more && std::find(m_more->begin(), m_more->end(), sink) != m_more->end());
    }
    void Append(ISink* sink)
    {
        if (m_first == nullptr) {
            m_first = sink;
            return;
        }
        if (!m_more)
            m_more = std::make_unique<std::vector<ISink*>>();
        m_more->push_back(sink);
    }
    void Remove(const ISink* sink)
    {
        if (m_first == sink) {
            m_first = nullptr;
            if (m_more) {
                m_first = m_more->front();
                m_more->erase(m_more->begin());
            }
        } else if (m_more) {
            std::erase(*m_more, sink);
        }
        if (m_more && m_more->empty())
            m_more.reset();
    }
    void Clear()
    {
        m_first = nullptr;
        m_more.reset();
    }
    // Calls `visit` for each sink, in order.
    template <class Visitor>
    void ForEach(Visitor&& visit) const
    {
        if (m_first == nullptr)
            return;
        visit(m_first);
        if (m_more) {
            for (ISink* sink : *m_more)
                visit(sink);
        }
    }

private:
    ISink* m_first = nullptr;                      // null exactly while the list is empty
    std::unique_ptr<std::vector<ISink*>> m_more;   // the sinks after the first, or null
};

// A copy of the sink list taken by one NotifyUpdate; a single sink needs no allocation.
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

} // namespace

struct CDataObject::Impl
{
    // One NotifyUpdate in progress; lives on the notifying thread's stack, linked into `calls`
    // under the lock for exactly as long as it runs.
    struct RunningCall
    {
        std::thread::id thread = std::this_thread::get_id();
        ISink* sink = nullptr;        // the sink being called right now, if any
        RunningCall* next = nullptr;  // the call registered before this one
    };

    CCriticalSection lock;          // guards everything below
    CSinkList sinks;                // subscription order, no duplicates, not owned
    RunningCall* calls = nullptr;   // NotifyUpdate calls in progress, on any thread
    // Made by the first thread that has to wait for a call on another thread (Unsubscribe or
    // destruction while a notification runs elsewhere), which is rare; kept from then on.
    // Signalled, under the lock, whenever a call leaves a sink or ends.
    std::unique_ptr<std::condition_variable_any> callChanged;

    void AddCall(RunningCall& call)
    {
        call.next = calls;
        calls = &call;
    }

    void RemoveCall(const RunningCall& call)
    {
        for (RunningCall** link = &calls; *link != nullptr; link = &(*link)->next) {
            if (*link == &call) {
                *link = call.next;
                return;
            }
        }
    }

    // Wakes the threads waiting for a call to change. Called with the lock held.
    void SignalCallChanged()
    {
        if (callChanged)
            callChanged->notify_all();
    }

    // Waits, releasing `guard` meanwhile, until `done` holds.
    template <class Done>
    void WaitForCalls(std::unique_lock<CCriticalSection>& guard, Done done)
    {
        if (done())
            return;
        if (!callChanged)
            callChanged = std::make_unique<std::condition_variable_any>();
        callChanged->wait(guard, done);
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

CDataObject::CDataObject() : m_impl(std::make_shared<Impl>()) {}

CDataObject::CDataObject(const CDataObject&) : m_impl(std::make_shared<Impl>()) {}

CDataObject& CDataObject::operator=(const CDataObject&) { return *this; }

CDataObject::~CDataObject() { NotifyDestroy(); }

// --- Subscription and notification -------------------------------------------------------

void CDataObject::Subscribe(ISink* sink)
{
    if (sink == nullptr)
        return;
    CScopedLock guard(m_impl->lock);
    if (!m_impl->sinks.Contains(sink))
        m_impl->sinks.Append(sink);
}

void CDataObject::Unsubscribe(ISink* sink)
{
    if (sink == nullptr)
        return;
    Impl& impl = *m_impl;
    std::unique_lock guard(impl.lock);
    impl.sinks.Remove(sink);
    impl.WaitForCalls(guard, [&] { return !impl.IsCalledElsewhere(sink); });
}

void CDataObject::NotifyUpdate(int fieldId)
{
    // Keeps the list and lock alive should a sink destroy this object during the loop.
    std::shared_ptr<Impl> impl;
    CSinkSnapshot sinks;
    Impl::RunningCall call;
    {
        CScopedLock guard(m_impl->lock);
        if (m_impl->sinks.IsEmpty())
            return;
        impl = m_impl;
        sinks.CopyFrom(impl->sinks);
        impl->AddCall(call);
    }

    struct EndCall
    {
        Impl& impl;
        const Impl::RunningCall& call;
        ~EndCall()
        {
            CScopedLock guard(impl.lock);
            impl.RemoveCall(call);
            impl.SignalCallChanged();
        }
    } endCall{*impl, call};

    for (std::size_t index = 0; index < sinks.size(); ++index)
    {
        ISink* sink = sinks[index];
        {
            CScopedLock guard(impl->lock);
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
                CScopedLock guard(impl.lock);
                call.sink = nullptr;
                impl.SignalCallChanged();
            }
        } leaveSink{*impl, call};
        sink->OnUpdate(fieldId, this);
    }
}

void CDataObject::NotifyDestroy()
{
    Impl& impl = *m_impl;
    CSinkSnapshot sinks;
    {
        std::unique_lock guard(impl.lock);
        sinks.CopyFrom(impl.sinks);
        impl.sinks.Clear();
        impl.WaitForCalls(guard, [&] { return !impl.IsNotifyingElsewhere(); });
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
