#pragma once

#include <climits>

namespace Ombrel {
class CPrinter;
}

namespace Ombrel::GUI {

// What one print run does besides the print settings: where it goes, which pages (1-based,
// inclusive, clamped to the pages there are) and whether a progress dialog with Cancel shows
// while the pages go out.
struct PrintJob
{
    CPrinter* printer = nullptr; // null: the grid's own printer (default printer, else PDF)
    int fromPage = 1;
    int toPage = INT_MAX;
    bool showProgress = true;
    // Asks first, with the print dialog over the grid, for the printer and the pages (offered:
    // 1 to the page count); a cancelled dialog prints nothing.
    bool showPrintDialog = false;
    const char* docName = "Grid";
};

} // namespace Ombrel::GUI
