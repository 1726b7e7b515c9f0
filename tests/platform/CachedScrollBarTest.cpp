// A window's scroll bar painted from cached parts must show exactly what QScrollBar shows for
// the same state, keep showing it as the value, range, size and palette change, and leave the
// states it cannot key (a pressed bar) to QScrollBar.
#include "ombrel/platform/qt/CachedScrollBar.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPalette>
#include <QScrollBar>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

using namespace Ombrel;

namespace {

// The cached bar and a stock QScrollBar side by side in one shown window, kept in one state.
class ScrollBarPair
{
public:
    explicit ScrollBarPair(Qt::Orientation orientation)
        : m_cached(new CCachedScrollBar(orientation, &m_window)),
          m_stock(new QScrollBar(orientation, &m_window))
    {
        m_window.resize(600, 600);
        m_window.show();
    }

    void Set(QSize size, int minimum, int maximum, int page, int value)
    {
        for (QScrollBar* bar : {static_cast<QScrollBar*>(m_cached), m_stock}) {
            bar->resize(size);
            bar->setRange(minimum, maximum);
            bar->setPageStep(page);
            bar->setValue(value);
        }
        m_stock->move(0, size.height() + 10);
    }

    // Both bars' pixels, the cached one painted the way a grab of its window paints it.
    void ExpectSamePixels(const char* what) const
    {
        const QImage cached = m_cached->grab().toImage();
        const QImage stock = m_stock->grab().toImage();
        ASSERT_EQ(cached.size(), stock.size()) << what;
        EXPECT_TRUE(cached == stock) << what;
    }

    CCachedScrollBar& Cached() { return *m_cached; }
    QScrollBar& Stock() { return *m_stock; }

private:
    QWidget m_window;
    CCachedScrollBar* m_cached;
    QScrollBar* m_stock;
};

} // namespace

TEST(CachedScrollBar, ComposedBarMatchesStockBarAcrossValuesSizesAndRanges)
{
    for (Qt::Orientation orientation : {Qt::Vertical, Qt::Horizontal}) {
        ScrollBarPair pair(orientation);
        const QSize size = orientation == Qt::Vertical ? QSize(17, 413) : QSize(379, 17);
        for (int maximum : {0, 9, 120, 99999}) {
            for (int value : {0, 1, maximum / 3, maximum / 2, maximum - 1, maximum}) {
                pair.Set(size, 0, maximum, 10, value);
                pair.ExpectSamePixels("value walk");
            }
        }
        pair.Set(size + QSize(3, 5), 0, 500, 40, 250);
        pair.ExpectSamePixels("resized");
        pair.Cached().setEnabled(false);
        pair.Stock().setEnabled(false);
        pair.ExpectSamePixels("disabled");
        EXPECT_TRUE(pair.Cached().IsCacheTrusted());
        EXPECT_GT(pair.Cached().ComposedPaintCount(), 0);
    }
}

TEST(CachedScrollBar, WalkingTheValueReusesTheParts)
{
    ScrollBarPair pair(Qt::Vertical);
    pair.Set(QSize(17, 700), 0, 100000, 55, 55);
    pair.ExpectSamePixels("first page");
    const int rendersBefore = pair.Cached().PartRenderCount();
    const int composedBefore = pair.Cached().ComposedPaintCount();
    // Leaving the groove's end makes a tile and checks it, its first move checks it again; from
    // then on the walk costs no rendering at all.
    for (int value = 110; value < 90000; value += 997) {
        pair.Set(QSize(17, 700), 0, 100000, 55, value);
        pair.Cached().grab();
    }
    EXPECT_LE(pair.Cached().PartRenderCount(), rendersBefore + 10);
    EXPECT_GT(pair.Cached().ComposedPaintCount(), composedBefore + 80);
    pair.ExpectSamePixels("last page walked");
}

TEST(CachedScrollBar, NewPaletteIsNotHiddenByOldParts)
{
    ScrollBarPair pair(Qt::Horizontal);
    pair.Set(QSize(300, 17), 0, 50, 10, 20);
    pair.ExpectSamePixels("default palette");
    QPalette palette = pair.Cached().palette();
    palette.setColor(QPalette::Button, QColor(200, 40, 40));
    palette.setColor(QPalette::Window, QColor(20, 120, 60));
    pair.Cached().setPalette(palette);
    pair.Stock().setPalette(palette);
    pair.ExpectSamePixels("new palette");
    EXPECT_TRUE(pair.Cached().IsCacheTrusted());
}

TEST(CachedScrollBar, PressedBarIsPaintedByQScrollBar)
{
    ScrollBarPair pair(Qt::Vertical);
    pair.Set(QSize(17, 300), 0, 100, 10, 50);
    pair.Cached().grab();
    const int composed = pair.Cached().ComposedPaintCount();
    const QRect barRect = pair.Cached().rect();
    const QPointF onSlider(barRect.center());
    QMouseEvent press(QEvent::MouseButtonPress, onSlider, pair.Cached().mapToGlobal(onSlider),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&pair.Cached(), &press);
    ASSERT_TRUE(pair.Cached().isSliderDown());
    pair.Cached().grab();
    EXPECT_EQ(pair.Cached().ComposedPaintCount(), composed);

    QMouseEvent release(QEvent::MouseButtonRelease, onSlider, pair.Cached().mapToGlobal(onSlider),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&pair.Cached(), &release);
    pair.Cached().grab();
    EXPECT_EQ(pair.Cached().ComposedPaintCount(), composed + 1);
}
