#include "ombrel/platform/Bitmap.h"
#include "ombrel/platform/DC.h"
#include "ombrel/platform/ImageList.h"
#include "ombrel/platform/SystemColors.h"
#include "ombrel/platform/Wnd.h"
#include "ombrel/platform/qt/QtDrawing.h"
#include "ombrel/platform/qt/QtGdiObjects.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <utility>
#include <vector>

namespace Ombrel {

struct CImageList::Impl
{
    bool created = false;
    int cx = 0;
    int cy = 0;
    UINT flags = 0;
    COLORREF bkColor = CLR_NONE;
    std::vector<QImage> images; // each cx x cy, kBitmapFormat
};

namespace {

// The process-wide drag: the image, its hot spot, the window that shows it and the window
// whose corner the drag positions are relative to.
struct DragState
{
    QImage image;
    QPoint hotSpot;
    std::unique_ptr<QLabel> window;
    CWnd* lockWindow = nullptr;
    bool entered = false;

    ~DragState()
    {
        // A widget must not outlive the application object; a drag never ended after the
        // application is gone leaves its window to the process exit.
        if (!QCoreApplication::instance()) {
            static_cast<void>(window.release());
        }
    }
};

// The drag image lets what lies under it show through, so the drop target stays readable.
constexpr double kDragImageOpacity = 0.6;

QPixmap TranslucentPixmap(const QImage& image)
{
    QImage translucent(image.size(), QImage::Format_ARGB32_Premultiplied);
    translucent.fill(Qt::transparent);
    QPainter painter(&translucent);
    painter.setOpacity(kDragImageOpacity);
    painter.drawImage(QPoint(0, 0), image);
    painter.end();
    return QPixmap::fromImage(translucent);
}

DragState& Drag()
{
    static DragState drag;
    return drag;
}

bool HasWidgetApplication()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

// Screen position of a point given relative to the lock window's upper-left corner.
QPoint ToScreen(CWnd* lockWindow, CPoint point)
{
    QPoint screen(point.x, point.y);
    if (lockWindow && lockWindow->GetSafeHwnd()) {
        CRect window;
        lockWindow->GetWindowRect(&window);
        screen += QPoint(window.left, window.top);
    }
    return screen;
}

// Cuts image `slice` (cx wide, from the left) out of `source`, with the list's transparency.
QImage Slice(const QImage& source, int slice, int cx, int cy)
{
    QImage image(cx, cy, kBitmapFormat);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPoint(0, 0), source, QRect(slice * cx, 0, cx, cy));
    painter.end();
    return image;
}

void ApplyMask(QImage& image, const QImage& mask, int slice)
{
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QPoint at(slice * image.width() + x, y);
            if (mask.valid(at) && (mask.pixel(at) & 0x00FFFFFFu) != 0) {
                row[x] = 0;
            }
        }
    }
}

void ApplyKeyColor(QImage& image, COLORREF key)
{
    const QRgb keyRgb = ToQColor(key).rgb() & 0x00FFFFFFu;
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((qUnpremultiply(row[x]) & 0x00FFFFFFu) == keyRgb && qAlpha(row[x]) == 255) {
                row[x] = 0;
            }
        }
    }
}

// Images of a list from a bitmap: one per cx-wide slice.
std::vector<QImage> Slices(QSize imageSize, UINT flags, const CBitmap& bitmap, const CBitmap* mask,
                           const COLORREF* key)
{
    const QImage& source = GetImage(bitmap);
    std::vector<QImage> slices;
    if (source.isNull() || imageSize.width() <= 0) {
        return slices;
    }
    const int count = source.width() / imageSize.width();
    for (int i = 0; i < count; ++i) {
        QImage image = Slice(source, i, imageSize.width(), imageSize.height());
        if (flags & ILC_MASK) {
            if (mask && mask->GetSafeHandle()) {
                ApplyMask(image, GetImage(*mask), i);
            } else if (key) {
                ApplyKeyColor(image, *key);
            }
        }
        slices.push_back(std::move(image));
    }
    return slices;
}

QImage Blended(const QImage& image, int percent)
{
    QImage result = image;
    QPainter painter(&result);
    painter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    painter.setOpacity(percent / 100.0);
    painter.fillRect(result.rect(), ToQColor(GetSysColor(COLOR_HIGHLIGHT)));
    return result;
}

QImage MaskOf(const QImage& image)
{
    QImage mask(image.size(), kBitmapFormat);
    for (int y = 0; y < image.height(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        auto* to = reinterpret_cast<QRgb*>(mask.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            to[x] = qAlpha(from[x]) == 0 ? 0xFFFFFFFFu : 0xFF000000u;
        }
    }
    return mask;
}

} // namespace

static QSize ImageSize(const CImageList& list)
{
    const CSize size = list.GetImageSize();
    return QSize(size.cx, size.cy);
}

CImageList::CImageList() : m_impl(std::make_unique<Impl>()) {}

CImageList::~CImageList() = default;

bool CImageList::Create(int cx, int cy, UINT flags, int initial, int /*grow*/)
{
    if (cx <= 0 || cy <= 0 || cx > CBitmap::kMaxDimension || cy > CBitmap::kMaxDimension ||
        std::int64_t{cx} * cy > CBitmap::kMaxPixels) {
        return false;
    }
    *m_impl = Impl();
    m_impl->created = true;
    m_impl->cx = cx;
    m_impl->cy = cy;
    m_impl->flags = flags;
    m_impl->images.reserve(static_cast<std::size_t>(std::clamp(initial, 0, 1024)));
    return true;
}

bool CImageList::DeleteImageList()
{
    const bool wasCreated = m_impl->created;
    *m_impl = Impl();
    return wasCreated;
}

const void* CImageList::GetSafeHandle() const
{
    return m_impl->created ? m_impl.get() : nullptr;
}

int CImageList::Add(CBitmap* bitmap, CBitmap* mask)
{
    if (!m_impl->created || !bitmap) {
        return -1;
    }
    std::vector<QImage> added = Slices(ImageSize(*this), m_impl->flags, *bitmap, mask, nullptr);
    if (added.empty()) {
        return -1;
    }
    const int first = GetImageCount();
    m_impl->images.insert(m_impl->images.end(), added.begin(), added.end());
    return first;
}

int CImageList::Add(CBitmap* bitmap, COLORREF maskColor)
{
    if (!m_impl->created || !bitmap) {
        return -1;
    }
    std::vector<QImage> added =
        Slices(ImageSize(*this), m_impl->flags, *bitmap, nullptr, &maskColor);
    if (added.empty()) {
        return -1;
    }
    const int first = GetImageCount();
    m_impl->images.insert(m_impl->images.end(), added.begin(), added.end());
    return first;
}

bool CImageList::Replace(int index, CBitmap* bitmap, CBitmap* mask)
{
    if (index < 0 || index >= GetImageCount() || !bitmap) {
        return false;
    }
    std::vector<QImage> replacement =
        Slices(ImageSize(*this), m_impl->flags, *bitmap, mask, nullptr);
    if (replacement.empty()) {
        return false;
    }
    m_impl->images[static_cast<std::size_t>(index)] = std::move(replacement.front());
    return true;
}

bool CImageList::Remove(int index)
{
    if (!m_impl->created) {
        return false;
    }
    if (index == -1) {
        m_impl->images.clear();
        return true;
    }
    if (index < 0 || index >= GetImageCount()) {
        return false;
    }
    m_impl->images.erase(m_impl->images.begin() + index);
    return true;
}

int CImageList::GetImageCount() const
{
    return static_cast<int>(m_impl->images.size());
}

bool CImageList::GetImageInfo(int index, IMAGEINFO* info) const
{
    if (!info || index < 0 || index >= GetImageCount()) {
        return false;
    }
    info->rcImage = CRect(index * m_impl->cx, 0, (index + 1) * m_impl->cx, m_impl->cy);
    return true;
}

CSize CImageList::GetImageSize() const
{
    return {m_impl->cx, m_impl->cy};
}

COLORREF CImageList::SetBkColor(COLORREF color)
{
    return std::exchange(m_impl->bkColor, color == CLR_NONE ? CLR_NONE : (color & 0x00FFFFFF));
}

COLORREF CImageList::GetBkColor() const
{
    return m_impl->bkColor;
}

bool CImageList::Draw(CDC* dc, int index, CPoint point, UINT style)
{
    QPainter* painter = dc ? GetPainter(*dc) : nullptr;
    if (!painter || !painter->isActive() || index < 0 || index >= GetImageCount()) {
        return false;
    }
    QImage image = m_impl->images[static_cast<std::size_t>(index)];
    if (style & ILD_MASK) {
        image = MaskOf(image);
    } else if (style & ILD_BLEND50) {
        image = Blended(image, 50);
    } else if (style & ILD_BLEND25) {
        image = Blended(image, 25);
    }
    const CPoint origin = dc->GetViewportOrg();
    const QPoint at(point.x + origin.x, point.y + origin.y);
    painter->save();
    painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (!(style & (ILD_TRANSPARENT | ILD_MASK)) && m_impl->bkColor != CLR_NONE) {
        painter->fillRect(QRect(at, image.size()), ToQColor(m_impl->bkColor));
    }
    painter->drawImage(at, image);
    painter->restore();
    return true;
}

// --- The drag image ---------------------------------------------------------------------

bool CImageList::BeginDrag(int index, CPoint hotSpot)
{
    if (index < 0 || index >= GetImageCount()) {
        return false;
    }
    EndDrag();
    DragState& drag = Drag();
    drag.image = m_impl->images[static_cast<std::size_t>(index)];
    drag.hotSpot = QPoint(hotSpot.x, hotSpot.y);
    return true;
}

bool CImageList::DragEnter(CWnd* lockWindow, CPoint point)
{
    DragState& drag = Drag();
    if (drag.image.isNull() || !HasWidgetApplication()) {
        return false;
    }
    if (!drag.window) {
        drag.window = std::make_unique<QLabel>(
            nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                         Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus);
        drag.window->setAttribute(Qt::WA_TransparentForMouseEvents);
        drag.window->setAttribute(Qt::WA_ShowWithoutActivating);
        drag.window->setAttribute(Qt::WA_TranslucentBackground);
        drag.window->setPixmap(TranslucentPixmap(drag.image));
        drag.window->resize(drag.image.size());
    }
    drag.lockWindow = lockWindow;
    drag.entered = true;
    drag.window->move(ToScreen(lockWindow, point) - drag.hotSpot);
    drag.window->show();
    return true;
}

bool CImageList::DragMove(CPoint point)
{
    DragState& drag = Drag();
    if (!drag.window || !drag.entered) {
        return false;
    }
    drag.window->move(ToScreen(drag.lockWindow, point) - drag.hotSpot);
    return true;
}

bool CImageList::DragShowNolock(bool show)
{
    DragState& drag = Drag();
    if (!drag.window || !drag.entered) {
        return false;
    }
    drag.window->setVisible(show);
    return true;
}

bool CImageList::DragLeave(CWnd* /*lockWindow*/)
{
    DragState& drag = Drag();
    if (!drag.window || !drag.entered) {
        return false;
    }
    drag.window->hide();
    drag.entered = false;
    return true;
}

void CImageList::EndDrag()
{
    DragState& drag = Drag();
    drag.window.reset();
    drag.image = QImage();
    drag.lockWindow = nullptr;
    drag.entered = false;
}

QWidget* GetDragImageWindow()
{
    DragState& drag = Drag();
    return drag.window && drag.window->isVisible() ? drag.window.get() : nullptr;
}

bool GetBegunDragImage(QImage& image, QPoint& hotSpot)
{
    const DragState& drag = Drag();
    if (drag.image.isNull())
        return false;
    image = drag.image;
    hotSpot = drag.hotSpot;
    return true;
}

} // namespace Ombrel
