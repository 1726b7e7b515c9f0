#include "ombrel/base/Object.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace Ombrel::ObjectTests {

class CShape : public CObject
{
    DECLARE_DYNAMIC(CShape)
};
IMPLEMENT_DYNAMIC(CShape, CObject)

class CCircle : public CShape
{
    DECLARE_SERIAL(CCircle)
};
IMPLEMENT_SERIAL(CCircle, CShape, 3)

TEST(ObjectTest, SerialClassesAreRegisteredAndCreatableByName)
{
    const CRuntimeClass* found = CRuntimeClass::FromName("CCircle");
    ASSERT_EQ(found, RUNTIME_CLASS(CCircle));
    EXPECT_EQ(found->m_wSchema, 3u);
    std::unique_ptr<CObject> made(CRuntimeClass::CreateObject("CCircle"));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->GetRuntimeClass(), RUNTIME_CLASS(CCircle));
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CShape)));
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_TRUE(made->IsSerializable());
}

TEST(ObjectTest, DynamicClassesAreNeitherRegisteredNorCreatable)
{
    EXPECT_EQ(CRuntimeClass::FromName("CShape"), nullptr);
    EXPECT_EQ(RUNTIME_CLASS(CShape)->CreateObject(), nullptr);
    EXPECT_FALSE(RUNTIME_CLASS(CShape)->IsDerivedFrom(RUNTIME_CLASS(CCircle)));
    EXPECT_EQ(CRuntimeClass::CreateObject("NoSuchClass"), nullptr);
    EXPECT_EQ(CRuntimeClass::FromName(nullptr), nullptr);
}

TEST(ObjectTest, SecondRegistrationOfANameIsRefused)
{
    static const CRuntimeClass impostor = {"CCircle", 1, nullptr, nullptr};
    EXPECT_FALSE(CRuntimeClass::Register(&impostor));
    EXPECT_EQ(CRuntimeClass::FromName("CCircle"), RUNTIME_CLASS(CCircle));
}

TEST(ObjectThreadTest, RegistryServesLookupsWhileClassesAreRegistered)
{
    constexpr int kClasses = 200;
    // The registry keeps what it is given until process exit, so the classes must too.
    static std::vector<std::string> names;
    static std::vector<CRuntimeClass> classes(kClasses);
    for (int i = 0; i < kClasses; ++i) {
        names.push_back("CThreadTestClass" + std::to_string(i));
    }
    for (int i = 0; i < kClasses; ++i) {
        classes[static_cast<std::size_t>(i)].m_lpszClassName = names[static_cast<std::size_t>(i)].c_str();
    }
    std::atomic<bool> done{false};
    std::atomic<int> misses{0};
    std::thread reader([&] {
        while (!done) {
            if (CRuntimeClass::FromName("CCircle") != RUNTIME_CLASS(CCircle)) {
                ++misses;
            }
            CRuntimeClass::FromName(names.back().c_str());
        }
    });
    for (auto& runtimeClass : classes) {
        EXPECT_TRUE(CRuntimeClass::Register(&runtimeClass));
    }
    done = true;
    reader.join();
    EXPECT_EQ(misses, 0);
    EXPECT_EQ(CRuntimeClass::FromName(names.back().c_str()), &classes.back());
}

} // namespace Ombrel::ObjectTests
