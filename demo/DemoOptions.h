#pragma once

#include <string>
#include <vector>

#include "ombrel/base/String.h"

namespace Ombrel::Demo {

// What the command line asks of the demonstration.
struct DemoOptions
{
    static constexpr int kMaxObjects = 10'000'000;
    static constexpr double kMaxQuitAfterSeconds = 24.0 * 60 * 60;

    int objectCount = 10;          // --objects N
    bool liveUpdates = false;      // --live: live updates on from the start
    double quitAfterSeconds = 0.0; // --quit-after SECONDS; 0 runs until the window is closed
    std::string printPdfPath;      // --print-pdf FILE: print every page to a PDF and exit
    std::string previewScreenshotPath; // --screenshot-preview FILE: the print preview as PNG
    std::string columnsScreenshotPath; // --screenshot-columns FILE: View > Columns... as PNG
    std::string screenshotPath;    // --screenshot FILE or --screenshot-edit FILE; empty: none
    bool editBeforeScreenshot = false; // --screenshot-edit: a date editor is open in the picture
    bool showHelp = false;         // --help
    bool newWindow = false;        // --new-window: a second window, as File > New window opens
    bool dragPreview = false;      // --drag-preview: a drag of the selected rows hovers over the
                                   // grid, so that a screenshot shows the drop mark
};

// Reads the arguments (without the program name). False, with a message in `error`, for an
// unknown option, a missing value, or a value that is not a number in range: --objects takes
// a whole number from 1 to kMaxObjects, --quit-after a number of seconds above 0 and at most
// kMaxQuitAfterSeconds.
bool ParseDemoOptions(const std::vector<CString>& arguments, DemoOptions& options, std::string& error);

// The text --help prints.
std::string DemoUsage();

} // namespace Ombrel::Demo
