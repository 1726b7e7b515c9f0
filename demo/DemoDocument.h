#pragma once

#include <memory>
#include <vector>

#include "ombrel/base/String.h"

namespace Ombrel::Demo {

class CTestClass;

// The demonstration's document: a title and the objects its view shows, owned here.
//
// Object i (1-based) is named "object i" and holds the long 120 + i, the 64-bit integer
// 1234567889 + i and the double 1.31 + 0.01 * i, so the longs are distinct and ascend with i.
// The objects never change identity while the document lives: the list is built once by the
// constructor, and other threads may read it (not change it) while the document exists.
class CDemoDocument
{
public:
    static constexpr int kDefaultObjectCount = 10;

    // A negative count gives no objects.
    explicit CDemoDocument(int objectCount = kDefaultObjectCount);
    // Deletes every object. Rows that still show them are removed by their grid when the
    // objects announce their destruction, but the view removes its rows before this runs.
    ~CDemoDocument();
    CDemoDocument(const CDemoDocument&) = delete;
    CDemoDocument& operator=(const CDemoDocument&) = delete;

    const CString& GetTitle() const { return m_title; }
    void SetTitle(const CString& title) { m_title = title; }

    int GetObjectCount() const { return static_cast<int>(m_objects.size()); }
    // Null outside 0 .. GetObjectCount() - 1.
    CTestClass* GetObject(int index) const;
    // Null when the document holds no object with that name.
    CTestClass* FindObject(const char* name) const;
    const std::vector<std::unique_ptr<CTestClass>>& GetObjects() const { return m_objects; }

private:
    CString m_title = "Ombrel";
    std::vector<std::unique_ptr<CTestClass>> m_objects; // in creation order
};

} // namespace Ombrel::Demo
