#pragma once

#include "ombrel/base/Geometry.h"

namespace Ombrel {
class CPrinter;
}

namespace Ombrel::GUI {

struct PrintSettings;

// The selected printer's page, as the preview and the print routine see it. Printer values are
// in the printer's device pixels; the screen resolution turns them into screen pixels, the
// unit the grid is painted in. All zero when there is no printer: nothing is paginated then.
struct PageMetrics
{
    int printerDpiX = 0;
    int printerDpiY = 0;
    int horzRes = 0;        // printable area, printer pixels
    int vertRes = 0;
    int physicalWidth = 0;  // paper, printer pixels
    int physicalHeight = 0;
    int offsetX = 0;        // printable area from the paper's corner, printer pixels
    int offsetY = 0;
    int screenDpiX = 96;
    int screenDpiY = 96;

    bool IsValid() const;
    // Printable area and paper in screen pixels.
    CSize PrintableScreenSize() const;
    CSize PhysicalScreenSize() const;
    // The part of the printable area inside the margins, in printer pixels from the printable
    // area's corner; empty when the margins leave nothing.
    CRect ContentRect(const PrintSettings& settings) const;
    // The same in screen pixels: the size a band covers at printer zoom 1.0.
    CSize ContentScreenSize(const PrintSettings& settings) const;
    // Maps the content rectangle onto `paper`, a rectangle that shows the whole sheet (a page
    // of the preview, or the sheet itself in printer pixels with the printable area's corner
    // at its origin).
    CRect ContentRectOnPaper(const PrintSettings& settings, const CRect& paper) const;
};

// The screen's resolution in dots per inch (LOGPIXELSX, LOGPIXELSY).
CSize ScreenDpi();

// What `printer` answers, with the screen's resolution; all zero for an invalid printer.
PageMetrics MeasurePage(const CPrinter& printer, int screenDpiX, int screenDpiY);

} // namespace Ombrel::GUI
