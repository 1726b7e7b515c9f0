// GridWidget in Qt layouts on the offscreen platform: its signals under real mouse input and
// grid calls, scroll bars when the rows do not fit, changes from a worker thread, and an end
// that emits nothing.

#include "ombrel/common/FieldDeclaration.h"
#include "ombrel/common/LockedDataObject.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/qt/GridWidget.h"
#include "support/Harness.h"

#include <QScrollBar>
#include <QThread>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace Ombrel::Test {
namespace {

using GUI::CGridItem;

class CTicker : public Common::CLockedDataObject
{
    OMBREL_DECLARE_FIELD_MAP()
public:
    static constexpr int kNameField = 1;
    static constexpr int kPriceField = 2;

    CTicker(std::string name, double price) : m_name(std::move(name)), m_price(price) {}
    ~CTicker() override { NotifyDestroy(); }

    std::string GetName() const { return Read(m_name); }
    double GetPrice() const { return Read(m_price); }
    void SetPrice(double value) { Write(m_price, value); }

private:
    Field<std::string, kNameField> m_name;
    Field<double, kPriceField> m_price;
};

OMBREL_BEGIN_FIELD_MAP(CTicker)
    OMBREL_FIELD(CTicker::kNameField, "Name", &CTicker::GetName)
    OMBREL_FIELD(CTicker::kPriceField, "Price", &CTicker::GetPrice, &CTicker::SetPrice)
OMBREL_END_FIELD_MAP()

constexpr int kColumnWidth = 90;

// A 320 x 240 window whose QVBoxLayout holds only a GridWidget with two columns; every signal
// is written down as text.
class GridWidgetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(window.get());
        layout->setContentsMargins(0, 0, 0, 0);
        widget = new GridWidget(window.get());
        layout->addWidget(widget);
        window->resize(320, 240);

        header = new GUI::CHeader(true);
        header->AddColumn(new GUI::CColumn(CTicker::kNameField, "Name", kColumnWidth));
        header->AddColumn(new GUI::CColumn(CTicker::kPriceField, "Price", kColumnWidth));
        Grid().SetHeader(header);
        Record();
        ShowAndActivate(Grid());
        ASSERT_TRUE(PumpUntil([&] { return Grid().GetClientRect().Height() > 200; }));
    }

    void TearDown() override
    {
        window.reset();
        objects.clear(); // after the grid: rows never outlive their objects here
    }

    GUI::CGrid& Grid() { return widget->grid(); }

    CGridItem* AddRows(int count)
    {
        CGridItem* first = nullptr;
        for (int i = 0; i < count; ++i) {
            const int number = static_cast<int>(objects.size());
            objects.push_back(std::make_unique<CTicker>("T" + std::to_string(number), number));
            CGridItem* row = Grid().Add(objects.back().get());
            first = first ? first : row;
        }
        return first;
    }

    std::string NameOf(CGridItem* row) { return row ? Grid().GetFieldText(row, CTicker::kNameField) : "-"; }

    void Record()
    {
        auto log = [this](std::string text) { emitted.push_back(std::move(text)); };
        QObject::connect(widget, &GridWidget::rowAdded, [=, this](CGridItem* row, Common::CDataObject* object) {
            log("added " + static_cast<CTicker*>(object)->GetName() + (row ? "" : " without row"));
        });
        QObject::connect(widget, &GridWidget::rowRemoved, [=](CGridItem*, Common::CDataObject* object) {
            log("removed " + static_cast<CTicker*>(object)->GetName());
        });
        QObject::connect(widget, &GridWidget::selectionChanged, [=, this](CGridItem* row, bool selected) {
            log((selected ? "selected " : "deselected ") + NameOf(row));
        });
        QObject::connect(widget, &GridWidget::focusChanged, [=, this](CGridItem* row, bool focused) {
            log((focused ? "focus on " : "focus off ") + NameOf(row));
        });
        QObject::connect(widget, &GridWidget::rowExpanded, [=, this](CGridItem* row) { log("expanded " + NameOf(row)); });
        QObject::connect(widget, &GridWidget::rowCollapsed, [=, this](CGridItem* row) { log("collapsed " + NameOf(row)); });
        QObject::connect(widget, &GridWidget::columnClicked, [=](std::int32_t field) {
            log("clicked " + std::to_string(field));
        });
        QObject::connect(widget, &GridWidget::columnResized, [=](std::int32_t field, std::int32_t width) {
            log("resized " + std::to_string(field) + " to " + std::to_string(width));
        });
        QObject::connect(widget, &GridWidget::columnMoved, [=](std::int32_t field, int position) {
            log("moved " + std::to_string(field) + " to " + std::to_string(position));
        });
        QObject::connect(widget, &GridWidget::sortChanged, [=] { log("sorted"); });
    }

    std::vector<std::string> Take() { return std::exchange(emitted, {}); }

    CPoint InRow(CGridItem* row) { return Grid().GetRowRect(row).CenterPoint(); }
    CPoint InHeader(int column, int dx = 0) { return CPoint(column * kColumnWidth + 20 + dx, header->GetHeight() / 2); }

    std::vector<std::unique_ptr<CTicker>> objects; // declared first: destroyed after the window
    std::unique_ptr<QWidget> window;
    GridWidget* widget = nullptr; // owned by the window
    GUI::CHeader* header = nullptr; // owned by the grid
    std::vector<std::string> emitted;
};

using Strings = std::vector<std::string>;

TEST_F(GridWidgetTest, ClicksOnRowsEmitSelectionAndFocusSignals)
{
    AddRows(5);
    Take();
    CGridItem* second = Grid().GetRowAt(1, GUI::ROW_NORMAL);
    CGridItem* fourth = Grid().GetRowAt(3, GUI::ROW_NORMAL);

    Click(Grid(), InRow(second));
    EXPECT_EQ((Strings{"selected T1", "focus on T1"}), Take());

    Click(Grid(), InRow(fourth), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ((Strings{"focus off T1", "focus on T3", "selected T3"}), Take());

    // A plain click keeps only the clicked row: the grid clears the selection and selects the
    // row again, and every step is a signal.
    Click(Grid(), InRow(second));
    const Strings plain = Take();
    auto at = [&](const char* text) { return std::find(plain.begin(), plain.end(), text) - plain.begin(); };
    EXPECT_LT(at("deselected T3"), static_cast<std::ptrdiff_t>(plain.size()));
    EXPECT_LT(at("deselected T1"), at("selected T1"));
    EXPECT_LT(at("focus off T3"), at("focus on T1"));
    EXPECT_EQ(5u, plain.size());
    EXPECT_EQ(1, Grid().GetSelectedCount());
}

TEST_F(GridWidgetTest, GridInAVBoxLayoutShowsScrollBarsOnlyWhenTheContentDoesNotFit)
{
    auto shown = [&](Qt::Orientation orientation) {
        for (QScrollBar* bar : WidgetOf(Grid())->findChildren<QScrollBar*>()) {
            if (bar->orientation() == orientation && bar->isVisible())
                return true;
        }
        return false;
    };
    AddRows(3);
    PumpFor(50ms);
    EXPECT_FALSE(shown(Qt::Vertical));
    EXPECT_FALSE(shown(Qt::Horizontal));

    AddRows(997);
    EXPECT_TRUE(PumpUntil([&] { return shown(Qt::Vertical); }));
    EXPECT_FALSE(shown(Qt::Horizontal));

    header->GetColumnById(CTicker::kPriceField)->SetWidth(400);
    EXPECT_TRUE(PumpUntil([&] { return shown(Qt::Horizontal); }));

    // The layout sizes the grid: a taller window pages more rows.
    const int page = Grid().GetPageRowCount();
    window->resize(320, 480);
    EXPECT_TRUE(PumpUntil([&] { return Grid().GetPageRowCount() > page; }));
}

TEST_F(GridWidgetTest, RowCallsEmitAddRemoveAndExpandSignals)
{
    CGridItem* parent = AddRows(1);
    objects.push_back(std::make_unique<CTicker>("child", 1.0));
    CGridItem* child = Grid().Add(objects.back().get(), parent);
    EXPECT_EQ((Strings{"added T0", "added child"}), Take());

    Grid().Expand(parent);
    Grid().Collapse(parent);
    EXPECT_EQ((Strings{"expanded T0", "collapsed T0"}), Take());

    Grid().Remove(child);
    EXPECT_EQ((Strings{"removed child"}), Take());
}

TEST_F(GridWidgetTest, ColumnSignalsFollowTheHeaderAndHeaderClicks)
{
    AddRows(3);
    Take();
    header->GetColumnById(CTicker::kNameField)->SetWidth(120);
    EXPECT_EQ((Strings{"resized 1 to 120"}), Take());
    header->GetColumnById(CTicker::kNameField)->SetWidth(kColumnWidth);
    header->MoveColumnToPosition(CTicker::kPriceField, 0);
    Take();
    header->MoveColumnAfter(CTicker::kPriceField, CTicker::kNameField);
    EXPECT_EQ((Strings{"moved 2 to 1"}), Take());
    ASSERT_EQ(CTicker::kNameField, header->GetColumn(0)->GetFieldId());

    // A click on the second header cell, moved within the grid's click slop: the grid sorts.
    MousePress(Grid(), InHeader(1));
    MouseMove(Grid(), InHeader(1, 4), Qt::LeftButton);
    MouseRelease(Grid(), InHeader(1, 4));
    EXPECT_EQ((Strings{"clicked 2", "sorted"}), Take());

    // One pixel further is a column drag for the grid: no click, no sort.
    MousePress(Grid(), InHeader(1));
    MouseMove(Grid(), InHeader(1, 5), Qt::LeftButton);
    MouseRelease(Grid(), InHeader(1, 5));
    EXPECT_EQ(Strings{}, Take());

    // A press on the rows and a release on the header is no click either.
    MousePress(Grid(), InRow(Grid().GetRowAt(0, GUI::ROW_NORMAL)));
    MouseRelease(Grid(), InHeader(1));
    for (const std::string& text : Take())
        EXPECT_EQ(std::string::npos, text.find("clicked")) << text;
}

TEST_F(GridWidgetTest, DestroyingTheWidgetEmitsNothingAndLeavesTheObjectsAlone)
{
    AddRows(4);
    Grid().SelectAt(0, GUI::ROW_NORMAL);
    Take();
    window.reset();
    EXPECT_EQ(Strings{}, Take());
    objects.front()->SetPrice(99.0); // no grid listens any more
    EXPECT_EQ(99.0, objects.front()->GetPrice());
}

// Runs under ThreadSanitizer too (suite name ending in ThreadTest).
class GridWidgetThreadTest : public GridWidgetTest
{
};

TEST_F(GridWidgetThreadTest, ChangesFromAWorkerThreadArriveAsRowUpdatesOnTheWindowThread)
{
    AddRows(3);
    std::atomic<int> updates{0};
    std::atomic<bool> offThread{false};
    const QMetaObject::Connection connection = QObject::connect(widget, &GridWidget::rowUpdated, [&](CGridItem*, Common::CDataObject* object) {
        if (QThread::currentThread() != widget->thread())
            offThread = true;
        if (static_cast<CTicker*>(object)->GetPrice() >= 100.0)
            ++updates;
    });
    std::thread worker([&] {
        for (int i = 0; i < 3; ++i)
            objects[static_cast<std::size_t>(i)]->SetPrice(100.0 + i);
    });
    EXPECT_TRUE(PumpUntil([&] { return updates.load() == 3; }));
    worker.join();
    QObject::disconnect(connection); // the counters go out of scope before the widget
    EXPECT_FALSE(offThread.load());
}

} // namespace
} // namespace Ombrel::Test
