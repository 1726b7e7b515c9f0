#include "ombrel/gui/paint/PaintFormatRegistry.h"

#include "ombrel/gui/paint/CellPaintFormat.h"
#include "ombrel/gui/paint/ColumnPaintFormat.h"
#include "ombrel/gui/paint/HeaderPaintFormat.h"
#include "ombrel/gui/paint/LinePaintFormat.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace Ombrel::GUI {
namespace {

class CShadedCellFormat : public CCellPaintFormat
{
public:
    std::string GetClassName() const override { return "Test::CShadedCellFormat"; }
};

ICellPaintFormat* NewShaded() { return new CShadedCellFormat(); }

TEST(PaintFormatRegistryTest, EachKindFindsItsStandardClassOnlyUnderItsOwnName)
{
    auto cell = CCellPaintFormatRegistry::Create("GUI::CCellPaintFormat");
    EXPECT_NE(dynamic_cast<CCellPaintFormat*>(cell.get()), nullptr);
    EXPECT_NE(dynamic_cast<CColumnPaintFormat*>(
                  CColumnPaintFormatRegistry::Create("GUI::CColumnPaintFormat").get()),
              nullptr);
    EXPECT_NE(dynamic_cast<CHeaderPaintFormat*>(
                  CHeaderPaintFormatRegistry::Create("GUI::CHeaderPaintFormat").get()),
              nullptr);
    EXPECT_NE(dynamic_cast<CLinePaintFormat*>(
                  CLinePaintFormatRegistry::Create("GUI::CLinePaintFormat").get()),
              nullptr);
    EXPECT_NE(CCellPaintFormatRegistry::Create("GUI::CCellPaintFormat"), cell); // a new one
    EXPECT_EQ(CCellPaintFormatRegistry::Create("GUI::CColumnPaintFormat"), nullptr);
    EXPECT_EQ(CLinePaintFormatRegistry::Create("GUI::CHeaderPaintFormat"), nullptr);
    EXPECT_EQ(CColumnPaintFormatRegistry::Create(""), nullptr);
}

TEST(PaintFormatRegistryTest, ApplicationClassesRegisterOnceAndCannotReplaceOthers)
{
    EXPECT_FALSE(CCellPaintFormatRegistry::Register("", &NewShaded));
    EXPECT_FALSE(CCellPaintFormatRegistry::Register("Test::CNullFactory", nullptr));
    EXPECT_FALSE(CCellPaintFormatRegistry::Register("GUI::CCellPaintFormat", &NewShaded));

    const CPaintFormatRegistrar<ICellPaintFormat, CShadedCellFormat> registrar;
    EXPECT_TRUE(registrar.IsRegistered());
    const CPaintFormatRegistrar<ICellPaintFormat, CShadedCellFormat> again;
    EXPECT_FALSE(again.IsRegistered());
    auto created = CCellPaintFormatRegistry::Create("Test::CShadedCellFormat");
    EXPECT_NE(dynamic_cast<CShadedCellFormat*>(created.get()), nullptr);
    // The standard class is still what its own name gives.
    auto standard = CCellPaintFormatRegistry::Create("GUI::CCellPaintFormat");
    EXPECT_EQ(dynamic_cast<CShadedCellFormat*>(standard.get()), nullptr);
}

TEST(PaintFormatRegistryThreadTest, RegistersAndCreatesFromManyThreads)
{
    constexpr int kThreads = 4;
    constexpr int kNamesPerThread = 50;
    static std::atomic<int> runs{0};
    const int run = runs++;
    std::atomic<int> registered{0};
    std::atomic<int> created{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kNamesPerThread; ++i) {
                // Every thread tries every name of its own and of its neighbour: each name is
                // registered exactly once.
                for (int owner : {t, (t + 1) % kThreads}) {
                    const std::string name = "Test::Threaded" + std::to_string(run) + "_" +
                                             std::to_string(owner) + "_" + std::to_string(i);
                    registered += CCellPaintFormatRegistry::Register(name, &NewShaded) ? 1 : 0;
                    created += CCellPaintFormatRegistry::Create(name) ? 1 : 0;
                }
                created += CLinePaintFormatRegistry::Create("GUI::CLinePaintFormat") ? 1 : 0;
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(registered.load(), kThreads * kNamesPerThread);
    // Each look-up follows a registration attempt of the same name, so none misses.
    EXPECT_EQ(created.load(), kThreads * kNamesPerThread * 3);
}

} // namespace
} // namespace Ombrel::GUI
