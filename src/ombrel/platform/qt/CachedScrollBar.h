#pragma once

#include <QImage>
#include <QScrollBar>
#include <QStyle>

#include <cstdint>

class QStyleOptionSlider;

namespace Ombrel {

// A window's scroll bar that paints from two cached parts: the bar without its slider (groove,
// page areas, arrow buttons) and a tile of the whole bar around the slider, which can be placed
// anywhere along the groove clear of its ends. A paint composes them, so scrolling a view
// costs two small image copies instead of the style's gradients and lines (which Qt's raster
// engine hands to its thread pool for a bar of more than about a hundred lines).
//
// What must stay true: a composed bar is pixel for pixel what the style draws. Every time a
// part is made, the composition is checked once against the style's own drawing of the same
// state, and again the first time a tile is placed away from where it was made; a style that
// fails the check (or draws state the parts cannot key: hover, a pressed
// part, transient bars, style sheets) is drawn by QScrollBar itself.
class CCachedScrollBar : public QScrollBar
{
public:
    CCachedScrollBar(Qt::Orientation orientation, QWidget* parent);

    // Counts for tests and benchmarks: paints composed from the parts, and part renderings.
    int ComposedPaintCount() const { return m_composedPaints; }
    int PartRenderCount() const { return m_partRenders; }
    // False once the style failed the check; set again by a style or palette change.
    bool IsCacheTrusted() const { return !m_refused; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // What the style's drawing of a part may depend on, besides the part's size.
    struct PartKey
    {
        const QStyle* style = nullptr;
        std::int64_t paletteKey = 0;
        int state = 0;
        int direction = 0;
        QSize size;
        double pixelRatio = 1.0;
        bool atMinimum = false; // a style may draw an arrow as disabled at its end
        bool atMaximum = false;
        QPoint anchor; // the slider tile's place, where the tile is good only there
        bool operator==(const PartKey& other) const;
    };

    struct Part
    {
        PartKey key;
        QImage image;          // premultiplied, transparent where the style did not draw
        QPoint madeAt;         // slider tile: where it was cut from the style's drawing
        bool movedChecked = false; // slider tile: checked once away from `madeAt`
    };

    bool CanCompose() const;
    QRect SliderArea(const QStyleOptionSlider& option) const;
    PartKey BarKey(const QStyleOptionSlider& option) const;
    PartKey SliderKey(const QStyleOptionSlider& option, const QRect& sliderArea,
                      const PartKey& barKey) const;
    bool IsClearOfEnds(const QStyleOptionSlider& option, const QRect& sliderArea) const;
    QImage Tile(const QStyleOptionSlider& option, const QRect& sliderArea) const;
    bool UpdateParts(const QStyleOptionSlider& option, const QRect& sliderArea);
    QImage Render(const QStyleOptionSlider& option, QStyle::SubControls subControls, QRgb fill) const;
    QImage Compose(const QRect& sliderArea, QRgb fill) const;
    bool MatchesStyle(const QStyleOptionSlider& option, const QRect& sliderArea) const;
    void Forget();

    Part m_bar;    // everything but the slider, the whole bar's size
    Part m_slider; // the tile around the slider, the slider area's size
    bool m_refused = false;
    bool m_pressed = false; // a mouse button went down on the bar and is still down
    int m_composedPaints = 0;
    mutable int m_partRenders = 0;
};

} // namespace Ombrel
