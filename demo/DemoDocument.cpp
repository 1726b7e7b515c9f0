#include "DemoDocument.h"

#include "TestClass.h"

namespace Ombrel::Demo {

CDemoDocument::CDemoDocument(int objectCount)
{
    if (objectCount <= 0)
        return;
    m_objects.reserve(static_cast<std::size_t>(objectCount));
    for (int i = 1; i <= objectCount; ++i) {
        CString name;
        name.Format("object %d", i);
        m_objects.push_back(std::make_unique<CTestClass>(name, 120 + i, std::int64_t{1234567889} + i,
                                                         1.31 + 0.01 * i));
        // Every third object starts checked, so that both states of the check box show.
        if (i % 3 == 0)
            m_objects.back()->SetChecked(true);
    }
}

CDemoDocument::~CDemoDocument() = default;

CTestClass* CDemoDocument::GetObject(int index) const
{
    if (index < 0 || index >= GetObjectCount())
        return nullptr;
    return m_objects[static_cast<std::size_t>(index)].get();
}

CTestClass* CDemoDocument::FindObject(const char* name) const
{
    for (const auto& object : m_objects) {
        if (object->GetName() == CString(name))
            return object.get();
    }
    return nullptr;
}

} // namespace Ombrel::Demo
