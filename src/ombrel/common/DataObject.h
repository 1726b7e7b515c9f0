#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "ombrel/base/String.h"
#include "ombrel/common/Value.h"

namespace Ombrel::Common {

class CField;
class CFieldMap;
class CFormat;
class CSerializer;

// Identifiers reserved for notifications; never the identifier of a field.
constexpr int AllFields = -1;  // every field of the object may have changed
constexpr int NoField = -2;    // the object changed without a particular field

// The text of a field, usable as either string type: it is a std::string and converts to a
// CString, so `CString text = object.GetFormattedValue(id)` and
// `std::string text = object.GetFormattedValue(id)` both hold.
class CFormattedText : public std::string
{
public:
    CFormattedText() = default;
    explicit CFormattedText(std::string text) : std::string(std::move(text)) {}

    operator CString() const { return CString(static_cast<const std::string&>(*this)); }
    bool IsEmpty() const { return empty(); }
    int GetLength() const { return static_cast<int>(size()); }
};

// Base class of every object a grid shows as a row.
//
// A data class declares its fields once, in the field map its GetFieldMap returns (see
// FieldDeclaration.h); this class then offers identifier-based access to them: typed reads and
// writes, reads and writes through a CValue, text through a format, and serialization. A
// missing field, a kind mismatch or a missing getter or setter never throws: getters give the
// kind's neutral value, setters and parsers false.
//
// Notification: a setter of the data class stores its value and then calls NotifyUpdate(id),
// which calls OnUpdate on every subscribed sink, in subscription order, on the calling thread.
// The sink list is the only state guarded here (the field values belong to the data class).
// Its lock is never held while a sink runs, so a sink may subscribe or unsubscribe from
// inside a call. The guarantees across threads:
//  - after Unsubscribe(sink) returns, the sink gets no further calls from this object, and no
//    call to it is still running on another thread (a sink unsubscribing itself from inside
//    its own OnUpdate finishes that call);
//  - destruction tells every sink OnDestroy(object), in subscription order, after the calls
//    running on other threads have finished. This happens in the destructor that first runs
//    NotifyDestroy: a data class with members of its own runs it first thing in its own
//    destructor, so that running calls and OnDestroy still see those members (by the time
//    ~CDataObject runs, they are gone and the object answers as a bare CDataObject).
// Unsubscribe and destruction therefore wait for sinks running on other threads: a sink must
// not wait, inside OnUpdate, for a thread that is unsubscribing it or destroying its object.
class CDataObject
{
public:
    // A listener to one or more data objects; never owned by them.
    class ISink
    {
    public:
        // Several fields changed: calls OnUpdate(id, object) once per identifier, ascending.
        virtual void OnUpdate(const std::set<int>& fieldIds, CDataObject* object);
        // One field changed; `fieldId` may be AllFields or NoField.
        virtual void OnUpdate(int fieldId, CDataObject* object) = 0;
        // The object is being destroyed; it is still whole but will be gone after the call.
        virtual void OnDestroy(CDataObject* object);

    protected:
        // Listener lists never own their listeners, so a sink is never deleted through this
        // interface.
        virtual ~ISink() = default;
    };

    // A field and the object whose member functions serve it. Ordered by field, then object.
    using FieldRef = std::pair<CField*, CDataObject*>;
    using FieldRefSet = std::set<FieldRef>;
    using FieldIdSet = std::set<int>;

    static constexpr int AllFields = Common::AllFields;
    static constexpr int NoField = Common::NoField;

    CDataObject();
    // A copy has the values of its data class but no sinks: subscriptions belong to an object.
    CDataObject(const CDataObject& other);
    CDataObject& operator=(const CDataObject& other);
    virtual ~CDataObject();

    // (field, this) from the field map; (null, this) for an unknown identifier; (null, null)
    // when the object has no field map.
    virtual FieldRef GetField(int id);
    // Adds (field, this) for every field reachable by identifier: the fields of the map and of
    // its base maps, except base fields hidden by a field of the same identifier.
    virtual void GetFieldRefs(FieldRefSet& refs);
    // Adds the identifier of every field of the map and its base maps.
    virtual void GetFieldIds(FieldIdSet& ids);

    // The class's field map, or null. A data class implements either form: the non-const one
    // asks the const one, which has no map of its own.
    virtual CFieldMap* GetFieldMap();
    virtual CFieldMap* GetFieldMap() const;

    virtual bool IsReadable(int id);        // the field exists and has a getter
    virtual bool IsWritable(int id);        // the field exists and has a setter
    virtual ValueType GetFieldType(int id); // vtEmpty for an unknown field
    virtual std::string GetFieldName(int id);
    virtual CFormat* GetFieldFormat(int id);

    // Typed reads: the getter's result; the empty string or zero when the field is missing,
    // is of another kind, or has no getter.
    virtual CString GetString(int id);
    virtual std::string GetStdString(int id);
    virtual char GetChar(int id);
    virtual unsigned char GetUChar(int id);
    virtual short GetShort(int id);
    virtual unsigned short GetUShort(int id);
    virtual std::int32_t GetLong(int id);
    virtual std::uint32_t GetULong(int id);
    virtual std::int64_t GetInt64(int id);
    virtual bool GetBool(int id);
    virtual float GetFloat(int id);
    virtual double GetDouble(int id);
    virtual OpaqueValue GetOpaque(int id);

    // A value of the field's kind (its neutral value without a getter); empty for an unknown
    // field.
    virtual CValue GetValue(int id);

    // Typed writes: true when the setter was called, which needs the field, a setter and the
    // field's kind to be the setter's. They do not notify; the setter itself does.
    virtual bool SetString(int id, const CString& value);
    virtual bool SetStdString(int id, const std::string& value);
    virtual bool SetChar(int id, char value);
    virtual bool SetUChar(int id, unsigned char value);
    virtual bool SetShort(int id, short value);
    virtual bool SetUShort(int id, unsigned short value);
    virtual bool SetLong(int id, std::int32_t value);
    virtual bool SetULong(int id, std::uint32_t value);
    virtual bool SetInt64(int id, std::int64_t value);
    virtual bool SetBool(int id, bool value);
    virtual bool SetFloat(int id, float value);
    virtual bool SetDouble(int id, double value);
    virtual bool SetOpaque(int id, OpaqueValue value);

    // Calls the setter with the payload when the value holds the field's kind, otherwise with
    // the kind's neutral value (a CValue never converts). False when the field or its setter is
    // missing.
    virtual bool SetValue(int id, const CValue& value);

    // The field's text through `format`, else the field's format, else the default format of
    // its kind. Empty for an unknown field.
    virtual CFormattedText GetFormattedValue(int id, CFormat* format = nullptr);
    // Parses `text` with the format chosen as above and calls the setter: numeric kinds need a
    // successful parse; the string kinds store the parsed string, or the text itself when the
    // format does not parse it. True when the setter was called.
    virtual bool SetFormattedValue(int id, const CString& text, CFormat* format = nullptr);
    virtual bool SetFormattedValue(int id, const std::string& text, CFormat* format = nullptr);
    bool SetFormattedValue(int id, const char* text, CFormat* format = nullptr);

    // The persistent class name; the base answers a shared empty string.
    virtual const std::string& GetClassName();
    virtual bool IsSerializable();
    // Stores or restores every field value: a 32-bit version (1), a 32-bit count, then per
    // identifier (ascending) the 32-bit identifier and the field's CValue. Restoring sets each
    // value through SetValue (unknown and read-only fields are skipped); a value that restores
    // empty (a kind without a stored payload) leaves the field alone; a version of 0 or less
    // restores nothing. A newer version throws CSerializer::BadVersionException.
    virtual void Serialize(CSerializer& serializer);

    // Adds the sink at the end of the list unless it is null or already present.
    void Subscribe(ISink* sink);
    // Removes the sink, keeping the order of the others; waits for its calls running on other
    // threads to finish.
    void Unsubscribe(ISink* sink);
    // Tells every subscribed sink that `fieldId` (or AllFields, NoField) changed.
    void NotifyUpdate(int fieldId);

protected:
    // Empties the sink list and tells each former sink OnDestroy(this). Runs first in this
    // class's destructor; a derived class with state of its own runs it first in its own.
    void NotifyDestroy();

private:
    struct Impl;
    // The sink list and its lock, made with the object (on the thread that makes it, which for
    // a table is a loader rather than the window thread that subscribes). Held also by running
    // NotifyUpdate calls, so that a sink may destroy the object it is being notified about.
    Impl* const m_impl;
};

} // namespace Ombrel::Common
