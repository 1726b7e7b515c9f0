#pragma once

// Bridges between the drawing layer and Qt, for the Qt-side code of the framework layer
// (windows, printing) and for tests. Nothing outside src/ombrel/platform/qt/ and
// tests/ includes this header.

#include "ombrel/base/Color.h"

#include <QColor>
#include <QFont>
#include <QImage>

class QPainter;
class QWidget;

namespace Ombrel {

class CBitmap;
class CDC;
class CFont;

// Makes `dc` draw through `painter` (not owned) until the device context is destroyed,
// deleted or attached again; null detaches. The painter's state is saved on attach and
// restored on detach, so the owner gets it back as it was. A memory device context's bitmap
// is released first.
void AttachPainter(CDC& dc, QPainter* painter);
// The painter `dc` draws through, or null.
QPainter* GetPainter(const CDC& dc);

QColor ToQColor(COLORREF color);
COLORREF FromQColor(const QColor& color);

// The Qt font a CFont draws with (pixel sized). Needs the application object for a positive
// or zero lfHeight (cell heights need font metrics).
QFont ToQFont(const CFont& font);
// A CFont described by a Qt font: negative lfHeight from its pixel size (point sizes are
// converted at the screen's vertical resolution), weight, italic, underline, strike-out,
// fixed pitch and family (at most 31 bytes of UTF-8, cut at a character boundary).
CFont FromQFont(const QFont& font);

// The pixels of a bitmap (a null image when it is not created). While the bitmap is selected
// into a device context, copy the image rather than keep a reference.
const QImage& GetImage(const CBitmap& bitmap);
// Replaces the bitmap's pixels with `image` (converted to the bitmap's 32-bit format); false
// while the bitmap is selected into a device context or for a null image.
bool SetImage(CBitmap& bitmap, const QImage& image);

// The frameless top-level window that shows the image-list drag image while a drag is shown,
// else null.
QWidget* GetDragImageWindow();
// The image begun with CImageList::BeginDrag and its hot spot, for a modal drag that shows it
// itself (COleDataSource::DoDragDrop); false when no drag image is begun.
bool GetBegunDragImage(QImage& image, QPoint& hotSpot);

} // namespace Ombrel
