#pragma once

#include <type_traits>

#include "ombrel/common/DataObject.h"
#include "ombrel/common/Field.h"
#include "ombrel/common/FieldMap.h"

// Declaring the fields of a data class: one line per field.
//
//   // CTestClass.h
//   class CTestClass : public Ombrel::Common::CDataObject
//   {
//       OMBREL_DECLARE_FIELD_MAP()
//   public:
//       ~CTestClass() override { NotifyDestroy(); }  // sinks see the members on destruction
//       CString GetName() const;
//       std::int32_t GetSomeLong() const;
//       void SetSomeLong(std::int32_t value);
//       ...
//   };
//
//   // CTestClass.cpp
//   OMBREL_BEGIN_FIELD_MAP(CTestClass)
//       OMBREL_FIELD(1234, "Name", &CTestClass::GetName)
//       OMBREL_FIELD(5000, "Long", &CTestClass::GetSomeLong, &CTestClass::SetSomeLong)
//       OMBREL_FIELD(5003, "Date", &CTestClass::GetSomeDate, &CTestClass::SetSomeDate,
//                    new CLongDateFormat(14))
//       OMBREL_FIELD(1235, "Code", &CTestClass::GetCode, 0, new CLongFormat())  // read-only
//   OMBREL_END_FIELD_MAP()
//
// OMBREL_FIELD(id, name, getter [, setter [, format]]): the getter's return type picks the
// value kind, and a setter that does not take that kind does not compile; so does an accessor
// of a class that the declaring class does not derive from. The getter and setter are also
// kept as text ("&CTestClass::GetSomeLong"); an omitted setter is written as the null setter 0.
// The format is adopted by the field (write a braced format expression inside parentheses).
//
// A class derived from another data class links its map to the base class's map with
// OMBREL_BEGIN_DERIVED_FIELD_MAP(CDerived, CBase); its fields then hide base fields with the
// same identifier, and the other base fields stay reachable.
//
// The map is a function-local static, filled on its first use and at the latest during static
// initialisation of the program, and never changed afterwards. OMBREL_DECLARE_FIELD_MAP opens
// a public section of the class.

// In the class body: the class's map accessor and both forms of the GetFieldMap override.
#define OMBREL_DECLARE_FIELD_MAP()                                                                 \
public:                                                                                            \
    static ::Ombrel::Common::CFieldMap* GetClassFieldMap()                                         \
    {                                                                                              \
        static ::Ombrel::Common::CFieldMap map;                                                    \
        static const bool declared = (DeclareFields(map), true);                                   \
        static_cast<void>(declared);                                                               \
        return &map;                                                                               \
    }                                                                                              \
    ::Ombrel::Common::CFieldMap* GetFieldMap() override { return GetClassFieldMap(); }             \
    ::Ombrel::Common::CFieldMap* GetFieldMap() const override { return GetClassFieldMap(); }       \
    static void DeclareFields(::Ombrel::Common::CFieldMap& map);

#define OMBREL_BEGIN_FIELD_MAP(Class) OMBREL_BEGIN_FIELD_MAP_LINKED(Class, nullptr)

#define OMBREL_BEGIN_DERIVED_FIELD_MAP(Class, Base)                                                \
    static_assert(std::is_base_of_v<Base, Class>, #Class " does not derive from " #Base);          \
    OMBREL_BEGIN_FIELD_MAP_LINKED(Class, Base::GetClassFieldMap())

#define OMBREL_END_FIELD_MAP() }

#define OMBREL_FIELD(id, name, ...)                                                                \
    OMBREL_FIELD_PICK(__VA_ARGS__, OMBREL_FIELD_WITH_FORMAT, OMBREL_FIELD_WITH_SETTER,             \
                      OMBREL_FIELD_READ_ONLY, unused)                                              \
    (id, name, __VA_ARGS__)

// --- Implementation ----------------------------------------------------------------------------

#define OMBREL_FIELD_CONCAT_(a, b) a##b
#define OMBREL_FIELD_CONCAT(a, b) OMBREL_FIELD_CONCAT_(a, b)

#define OMBREL_BEGIN_FIELD_MAP_LINKED(Class, baseMap)                                              \
    /* Fills the map during static initialisation even if nothing asked for it before. */         \
    [[maybe_unused]] static ::Ombrel::Common::CFieldMap* const OMBREL_FIELD_CONCAT(                \
        ombrelFieldMapOf, __LINE__) = Class::GetClassFieldMap();                                   \
    void Class::DeclareFields(::Ombrel::Common::CFieldMap& ombrelFieldMap)                         \
    {                                                                                              \
        using OmbrelFieldClass = Class;                                                            \
        ombrelFieldMap.SetBaseMap(baseMap);

#define OMBREL_FIELD_PICK(getter, setter, format, chosen, ...) chosen

#define OMBREL_FIELD_READ_ONLY(id, name, getter) OMBREL_FIELD_WITH_FORMAT(id, name, getter, 0, nullptr)

#define OMBREL_FIELD_WITH_SETTER(id, name, getter, setter)                                         \
    OMBREL_FIELD_WITH_FORMAT(id, name, getter, setter, nullptr)

#define OMBREL_FIELD_WITH_FORMAT(id, name, getter, setter, format)                                 \
    ::Ombrel::Common::FieldDeclaration::CheckAccessor<OmbrelFieldClass>(getter);                   \
    ::Ombrel::Common::FieldDeclaration::CheckAccessor<OmbrelFieldClass>(setter);                   \
    ::Ombrel::Common::FieldDeclaration::Declare(                                                   \
        ombrelFieldMap, new ::Ombrel::Common::CField((id), (name), getter, setter, (format),       \
                                                     #getter, #setter));

namespace Ombrel::Common::FieldDeclaration {

// A declared getter or setter must belong to the declaring class or one of its bases; a null
// setter (0 or nullptr) needs no check.
template <class Class, class Method>
constexpr void CheckAccessor(Method)
{
    if constexpr (std::is_member_function_pointer_v<Method>)
    {
        static_assert(std::is_base_of_v<FieldDetail::MemberClass<Method>, Class>,
                      "the accessor is not a member of the declaring class or of one of its bases");
    }
}

// Adds a declared field under its own identifier; a second field with the same identifier is
// dropped, the first one stays.
inline void Declare(CFieldMap& map, CField* field)
{
    if (!map.AddField(field->GetId(), field))
        delete field;
}

} // namespace Ombrel::Common::FieldDeclaration
