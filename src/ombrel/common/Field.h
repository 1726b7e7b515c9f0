#pragma once

#include <cassert>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>

#include "ombrel/base/String.h"
#include "ombrel/common/DataObject.h"
#include "ombrel/common/Value.h"

namespace Ombrel::Common {

class CFormat;

// The value kind carried by a C type: the mapping a field uses to take its kind from the
// signature of its getter. Only the thirteen C types of the kinds have one; a getter of any
// other type is refused at compile time.
template <class T> struct ValueKindOf;
template <> struct ValueKindOf<CString> : std::integral_constant<ValueType, vtMfcString> {};
template <> struct ValueKindOf<std::string> : std::integral_constant<ValueType, vtStlString> {};
template <> struct ValueKindOf<char> : std::integral_constant<ValueType, vtChar> {};
template <> struct ValueKindOf<unsigned char> : std::integral_constant<ValueType, vtUChar> {};
template <> struct ValueKindOf<short> : std::integral_constant<ValueType, vtShort> {};
template <> struct ValueKindOf<unsigned short> : std::integral_constant<ValueType, vtUShort> {};
template <> struct ValueKindOf<std::int32_t> : std::integral_constant<ValueType, vtLong> {};
template <> struct ValueKindOf<std::uint32_t> : std::integral_constant<ValueType, vtULong> {};
template <> struct ValueKindOf<std::int64_t> : std::integral_constant<ValueType, vtInt64> {};
template <> struct ValueKindOf<bool> : std::integral_constant<ValueType, vtBool> {};
template <> struct ValueKindOf<float> : std::integral_constant<ValueType, vtFloat> {};
template <> struct ValueKindOf<double> : std::integral_constant<ValueType, vtDouble> {};
template <> struct ValueKindOf<OpaqueValue> : std::integral_constant<ValueType, vtOpaque> {};

template <class T>
concept ValueKindType = requires { ValueKindOf<T>::value; };

namespace FieldDetail {

// Decomposes a getter `R (C::*)() [const] [noexcept]`.
template <class M> struct GetterTraits { static constexpr bool kIsGetter = false; };
template <class C, class R> struct GetterTraits<R (C::*)()>
{
    static constexpr bool kIsGetter = true;
    using Class = C;
    using Result = R;
};
template <class C, class R> struct GetterTraits<R (C::*)() const> : GetterTraits<R (C::*)()> {};
template <class C, class R> struct GetterTraits<R (C::*)() noexcept> : GetterTraits<R (C::*)()> {};
template <class C, class R> struct GetterTraits<R (C::*)() const noexcept> : GetterTraits<R (C::*)()> {};

// Decomposes any one-argument member function, the shape of a setter.
template <class M> struct SetterTraits { static constexpr bool kIsSetter = false; };
template <class C, class R, class A> struct SetterTraits<R (C::*)(A)>
{
    static constexpr bool kIsSetter = true;
    using Class = C;
};
template <class C, class R, class A> struct SetterTraits<R (C::*)(A) noexcept> : SetterTraits<R (C::*)(A)> {};

// The class a member function belongs to.
template <class M> struct MemberClassOf;
template <class T, class C> struct MemberClassOf<T C::*> { using Type = C; };
template <class M> using MemberClass = typename MemberClassOf<M>::Type;

template <class M> using GetterValue = std::remove_cvref_t<typename GetterTraits<M>::Result>;
template <class M> using GetterClass = typename GetterTraits<M>::Class;

// The setter signature a getter's kind implies: strings by const reference, the rest by value.
template <class T> using SetterParam = std::conditional_t<std::is_class_v<T>, const T&, T>;
template <class G>
using SetterFor = void (std::type_identity_t<GetterClass<G>>::*)(SetterParam<GetterValue<G>>);

template <class G>
concept GetterMethod = GetterTraits<G>::kIsGetter && ValueKindType<GetterValue<G>> &&
                       std::is_base_of_v<CDataObject, GetterClass<G>>;

// A setter other than the implied signature that still accepts the getter's value (taking it
// by value where a reference is implied, say, or returning a status the field ignores).
template <class S, class G>
concept CompatibleSetter =
    SetterTraits<S>::kIsSetter && !std::is_same_v<S, SetterFor<G>> &&
    std::is_base_of_v<CDataObject, typename SetterTraits<S>::Class> &&
    std::is_invocable_v<S, typename SetterTraits<S>::Class&, const GetterValue<G>&>;

// The data object seen as the class that declares the accessor. The object is always of that
// class when the field comes from the field map of the object's own class, which is how
// CDataObject reaches its fields.
template <class Class>
Class& AsClass(CDataObject& object)
{
    assert(dynamic_cast<Class*>(&object) != nullptr && "field used with an object of another class");
    if constexpr (requires { static_cast<Class&>(object); })
        return static_cast<Class&>(object);
    else
        return dynamic_cast<Class&>(object);
}

} // namespace FieldDetail

// A field: binds a field identifier to a name, a value kind, a getter, an optional setter and
// an optional format of a data class.
//
// The kind is fixed by the getter's signature (a getter returning std::int32_t makes a vtLong
// field, one returning CString a vtMfcString field, and so on); the setter must take that same
// kind, so a mismatch does not compile. Getter and setter are kept untyped and called back with
// the signature of the kind, on the data object that owns the value.
//
// A field owns its format: the copy clones it, the destructor deletes it. The declaration
// texts of getter and setter ("&CTestClass::GetSomeLong") travel with the field but are only
// kept for diagnostics. Declaring fields is easiest with the macros of FieldDeclaration.h.
class CField
{
public:
    // An untyped pointer to a member function of a data class; null when absent.
    using Method = void (CDataObject::*)();

    // A field read and written through member functions. The format is adopted. Each text
    // (name, getter text, setter text) is kept only when it is not null, not empty and does not
    // begin with '0' (a declaration without a setter passes a null setter and the text "0").
    template <FieldDetail::GetterMethod G>
    CField(int id, const char* name, G getter, FieldDetail::SetterFor<G> setter, CFormat* format,
           const char* getterText, const char* setterText)
        : CField(id, name, ValueKindOf<FieldDetail::GetterValue<G>>::value, MakeGetter(getter),
                 MakeSetter<FieldDetail::GetterValue<G>>(setter), format, getterText,
                 setterText)
    {
    }

    template <FieldDetail::GetterMethod G, class S>
        requires FieldDetail::CompatibleSetter<S, G>
    CField(int id, const char* name, G getter, S setter, CFormat* format, const char* getterText,
           const char* setterText)
        : CField(id, name, ValueKindOf<FieldDetail::GetterValue<G>>::value, MakeGetter(getter),
                 MakeSetter<FieldDetail::GetterValue<G>>(setter), format, getterText,
                 setterText)
    {
    }

    // A field that only describes a value (name, kind, format) without member functions: the
    // form a CDynamicObject declares its fields with. `type` is one of the kinds 1..13.
    CField(int id, const char* name, ValueType type, CFormat* format = nullptr);

    CField(const CField& other);
    CField& operator=(const CField& other);
    virtual ~CField();

    // A new field made by the copy; the caller owns it.
    virtual CField* Clone() const;

    int GetId() const;
    const std::string& GetName() const;
    ValueType GetType() const;
    CFormat* GetFormat() const;           // owned by the field; may be null
    const std::string& GetGetterText() const;
    const std::string& GetSetterText() const;
    Method GetGetter() const;             // null when the field has no getter
    Method GetSetter() const;             // null for a read-only field

    // Typed access for T, the C type of the field's kind. Both return false (and leave `out`
    // alone, call nothing) when T is not the field's kind or the member function is missing.
    template <ValueKindType T> bool CallGetter(CDataObject& object, T& out) const;
    template <ValueKindType T> bool CallSetter(CDataObject& object, const T& value) const;

    // The getter's result as a value of the field's kind; the kind's neutral value (empty
    // string, zero) when there is no getter; an empty value when the kind is invalid.
    CValue GetValue(CDataObject& object) const;
    // Calls the setter with the payload when `value` holds the field's kind, otherwise with
    // the kind's neutral value: a CValue never converts. False only without a setter.
    bool SetValue(CDataObject& object, const CValue& value) const;

    // The getter's result as text through `format` (null: the string kinds give the string
    // itself, other kinds empty text). The object is the conversion's context.
    std::string FormatValue(CDataObject& object, const CFormat* format) const;
    // Parses `text` with `format` into the field's kind and calls the setter. Numeric kinds
    // need a format that parses the text; the string kinds store the parsed string when a
    // format parses it, else the text itself. False when no setter was called.
    bool ParseValue(CDataObject& object, const CString& text, const CFormat* format) const;
    bool ParseValue(CDataObject& object, const std::string& text, const CFormat* format) const;

private:
    // A member function kept untyped, and the function that calls it with its real type:
    // `T (*)(Method, CDataObject&)` for a getter of kind T, `void (*)(Method, CDataObject&,
    // const T&)` for a setter. Both are null together.
    using ErasedInvoker = void (*)();
    struct Accessor
    {
        Method method = nullptr;
        ErasedInvoker invoker = nullptr;
    };

    // The casts between member-function types below always come back to the exact type they
    // left from, which keeps the call well-defined; GCC cannot see that and warns.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wcast-function-type"
    template <class G>
    static FieldDetail::GetterValue<G> InvokeGetter(Method method, CDataObject& object)
    {
        const G getter = reinterpret_cast<G>(method);
        return (FieldDetail::AsClass<FieldDetail::GetterClass<G>>(object).*getter)();
    }

    template <class S, class T>
    static void InvokeSetter(Method method, CDataObject& object, const T& value)
    {
        const S setter = reinterpret_cast<S>(method);
        (FieldDetail::AsClass<typename FieldDetail::SetterTraits<S>::Class>(object).*setter)(value);
    }

    template <class G>
    static Accessor MakeGetter(G getter)
    {
        if (getter == nullptr)
            return {};
        return {reinterpret_cast<Method>(getter), reinterpret_cast<ErasedInvoker>(&InvokeGetter<G>)};
    }

    template <class T, class S>
    static Accessor MakeSetter(S setter)
    {
        if (setter == nullptr)
            return {};
        return {reinterpret_cast<Method>(setter), reinterpret_cast<ErasedInvoker>(&InvokeSetter<S, T>)};
    }
#pragma GCC diagnostic pop

    CField(int id, const char* name, ValueType type, Accessor getter, Accessor setter,
           CFormat* format, const char* getterText, const char* setterText);

    template <class Text>
    bool ParseText(CDataObject& object, const Text& text, const CFormat* format) const;

    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::Common
