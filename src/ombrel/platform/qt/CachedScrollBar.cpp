#include "ombrel/platform/qt/CachedScrollBar.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

#include <algorithm>

// One paint of the bar:
//   CanCompose    a state the parts can show (no hover, nothing pressed, no transient bar or
//                 style sheet, the style not refused) - otherwise QScrollBar paints
//   UpdateParts   a part whose key changed is rendered again; the composition is checked against
//                 the style's drawing of the whole bar for new parts and for the first move of
//                 a slider tile
//   paint         the bar part in bands, then the slider tile over it

namespace Ombrel {
namespace {

// Qt's raster engine spreads a blit of more than about a hundred lines over its thread pool;
// bands this high keep the copy on the window thread, where it is cheaper than the hand-over.
constexpr int kBandLines = 64;

// Fills the composition is checked on: one where the style leaves pixels unpainted, one where
// a part blends over an opaque colour.
constexpr QRgb kTransparentFill = 0;
constexpr QRgb kOpaqueFill = 0xff7f3fbf;

// Styles draw the slider's outline up to a pixel outside its rectangle (Fusion does); the
// slider part takes this much of the bar around it.
constexpr int kSliderMargin = 2;

void DrawInBands(QPainter& painter, QPoint at, const QImage& image)
{
    const double ratio = image.devicePixelRatio();
    for (int top = 0; top < image.height(); top += kBandLines) {
        const int lines = std::min(kBandLines, image.height() - top);
        painter.drawImage(QPointF(at) + QPointF(0, top / ratio), image,
                          QRectF(0, top, image.width(), lines));
    }
}

} // namespace

bool CCachedScrollBar::PartKey::operator==(const PartKey& other) const
{
    return style == other.style && paletteKey == other.paletteKey && state == other.state &&
           direction == other.direction && size == other.size && pixelRatio == other.pixelRatio &&
           atMinimum == other.atMinimum && atMaximum == other.atMaximum && anchor == other.anchor;
}

CCachedScrollBar::CCachedScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent)
{
}

bool CCachedScrollBar::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::StyleChange:
    case QEvent::PaletteChange:
    case QEvent::FontChange:
        // A new style or palette gets a new chance to be composed.
        Forget();
        m_refused = false;
        break;
    default:
        break;
    }
    return QScrollBar::event(event);
}

void CCachedScrollBar::mousePressEvent(QMouseEvent* event)
{
    m_pressed = true;
    QScrollBar::mousePressEvent(event);
}

void CCachedScrollBar::mouseReleaseEvent(QMouseEvent* event)
{
    m_pressed = event->buttons() != Qt::NoButton;
    QScrollBar::mouseReleaseEvent(event);
}

// The parts know only the idle look: hover and pressed parts are kept by QScrollBar where a
// subclass cannot read them, transient bars fade, and style sheets may draw anything.
bool CCachedScrollBar::CanCompose() const
{
    return !m_refused && !m_pressed && !isSliderDown() && !underMouse() &&
           !testAttribute(Qt::WA_StyleSheet) &&
           !style()->styleHint(QStyle::SH_ScrollBar_Transient, nullptr, this);
}

void CCachedScrollBar::paintEvent(QPaintEvent* event)
{
    if (!CanCompose()) {
        QScrollBar::paintEvent(event);
        return;
    }
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect sliderArea = SliderArea(option);
    if (!UpdateParts(option, sliderArea)) {
        QScrollBar::paintEvent(event);
        return;
    }
    QPainter painter(this);
    DrawInBands(painter, QPoint(0, 0), m_bar.image);
    if (!m_slider.image.isNull())
        DrawInBands(painter, sliderArea.topLeft(), m_slider.image);
    ++m_composedPaints;
}

// The slider's rectangle with the margin its outline may take, inside the bar; empty when the
// style shows no slider.
QRect CCachedScrollBar::SliderArea(const QStyleOptionSlider& option) const
{
    const QRect slider =
        style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
    if (slider.isEmpty())
        return QRect();
    return slider.adjusted(-kSliderMargin, -kSliderMargin, kSliderMargin, kSliderMargin) &
           option.rect;
}

// True when the slider area lies inside the groove, clear of the arrow buttons and the groove's
// ends: there the tile under it looks the same wherever the slider is.
bool CCachedScrollBar::IsClearOfEnds(const QStyleOptionSlider& option, const QRect& sliderArea) const
{
    const QRect groove =
        style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarGroove, this);
    const QRect inner = groove.adjusted(kSliderMargin, kSliderMargin, -kSliderMargin, -kSliderMargin);
    if (option.orientation == Qt::Vertical)
        return sliderArea.top() >= inner.top() && sliderArea.bottom() <= inner.bottom();
    return sliderArea.left() >= inner.left() && sliderArea.right() <= inner.right();
}

// What the drawing of the bar without its slider depends on.
CCachedScrollBar::PartKey CCachedScrollBar::BarKey(const QStyleOptionSlider& option) const
{
    PartKey key;
    key.style = style();
    key.paletteKey = option.palette.cacheKey();
    key.state = static_cast<int>(option.state);
    key.direction = option.direction;
    key.pixelRatio = devicePixelRatio();
    key.atMinimum = option.sliderPosition <= option.minimum;
    key.atMaximum = option.sliderPosition >= option.maximum;
    key.size = option.rect.size();
    return key;
}

// What the slider tile depends on: the bar's key with the tile's size, and near the ends, where
// the slider meets the buttons (which the style draws over or under it), the tile's place.
CCachedScrollBar::PartKey CCachedScrollBar::SliderKey(const QStyleOptionSlider& option,
                                                      const QRect& sliderArea,
                                                      const PartKey& barKey) const
{
    PartKey key = barKey;
    key.size = sliderArea.size();
    if (!sliderArea.isEmpty() && !IsClearOfEnds(option, sliderArea))
        key.anchor = sliderArea.topLeft();
    return key;
}

// Renders what changed and checks the composition against the style whenever a part was made
// or the slider tile first moved away from where it was made; false when the style's drawing
// cannot be composed (then nothing is cached until the style or palette changes).
bool CCachedScrollBar::UpdateParts(const QStyleOptionSlider& option, const QRect& sliderArea)
{
    const PartKey key = BarKey(option);
    const PartKey sliderKey = SliderKey(option, sliderArea, key);
    const bool hasSlider = !sliderArea.isEmpty();
    const bool barChanged = m_bar.image.isNull() || !(m_bar.key == key);
    const bool sliderChanged = !(m_slider.key == sliderKey) || (hasSlider && m_slider.image.isNull());
    if (barChanged) {
        m_bar.key = key;
        m_bar.image = Render(option, ~QStyle::SubControls(QStyle::SC_ScrollBarSlider), kTransparentFill);
    }
    if (sliderChanged) {
        m_slider.key = sliderKey;
        m_slider.image = hasSlider ? Tile(option, sliderArea) : QImage();
        m_slider.madeAt = sliderArea.topLeft();
        m_slider.movedChecked = false;
    }
    const bool firstMove = !sliderChanged && !m_slider.movedChecked && m_slider.madeAt != sliderArea.topLeft();
    if (firstMove)
        m_slider.movedChecked = true;
    if ((barChanged || sliderChanged || firstMove) && !MatchesStyle(option, sliderArea)) {
        m_refused = true;
        Forget();
        return false;
    }
    return true;
}

// The style's drawing of the whole bar inside the slider area: the slider with what lies under
// and around it.
QImage CCachedScrollBar::Tile(const QStyleOptionSlider& option, const QRect& sliderArea) const
{
    const QImage whole = Render(option, QStyle::SC_All, kTransparentFill);
    const double ratio = whole.devicePixelRatio();
    const QRect pixels(QPointF(QPointF(sliderArea.topLeft()) * ratio).toPoint(),
                       QSizeF(QSizeF(sliderArea.size()) * ratio).toSize());
    QImage tile = whole.copy(pixels);
    tile.setDevicePixelRatio(ratio);
    return tile;
}

// The style's drawing of `subControls` on an image of the bar's size filled with `fill`, with
// the painter set up as a painter opened on the widget would be.
QImage CCachedScrollBar::Render(const QStyleOptionSlider& option, QStyle::SubControls subControls,
                                QRgb fill) const
{
    const double ratio = devicePixelRatio();
    QImage image((QSizeF(option.rect.size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(fill);
    QPainter painter(&image);
    painter.setPen(palette().color(foregroundRole()));
    painter.setBrush(palette().brush(backgroundRole()));
    painter.setFont(font());
    painter.setLayoutDirection(layoutDirection());
    QStyleOptionSlider part = option;
    part.subControls = subControls;
    part.activeSubControls = QStyle::SC_None;
    style()->drawComplexControl(QStyle::CC_ScrollBar, &part, &painter, this);
    ++m_partRenders;
    return image;
}

QImage CCachedScrollBar::Compose(const QRect& sliderArea, QRgb fill) const
{
    QImage image(m_bar.image.size(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(m_bar.image.devicePixelRatio());
    image.fill(fill);
    QPainter painter(&image);
    DrawInBands(painter, QPoint(0, 0), m_bar.image);
    if (!m_slider.image.isNull())
        DrawInBands(painter, sliderArea.topLeft(), m_slider.image);
    return image;
}

bool CCachedScrollBar::MatchesStyle(const QStyleOptionSlider& option, const QRect& sliderArea) const
{
    for (QRgb fill : {kTransparentFill, kOpaqueFill}) {
        if (Compose(sliderArea, fill) != Render(option, QStyle::SC_All, fill))
            return false;
    }
    return true;
}

void CCachedScrollBar::Forget()
{
    m_bar = Part();
    m_slider = Part();
}

} // namespace Ombrel
