#pragma once

#include <functional>
#include <string>

#include "ombrel/Platform.h"

namespace Ombrel::GUI {
class CGrid;
}

namespace Ombrel::Demo {

// The platform's standard File commands for printing.
constexpr UINT ID_FILE_PRINT = 0xE107;
constexpr UINT ID_FILE_PRINT_PREVIEW = 0xE109;

// File > Print preview... (Ctrl+F2) and File > Print... (Ctrl+P), added to menu `fileMenu`.
void AddPrintMenuItems(CFrameWnd& frame, int fileMenu);

// Runs a print command for `grid`: the preview over it, or the print dialog (printer and
// pages) and then the pages with a progress dialog. False for any other command.
bool HandlePrintCommand(UINT id, GUI::CGrid& grid);

// --print-pdf: every page of `grid` to a PDF file at `path`, without dialogs. Returns the pages
// printed (0 on failure).
int PrintGridToPdf(GUI::CGrid& grid, const std::string& path);

// --screenshot-preview: opens the preview of `grid` in "Two pages" mode, lets it cut and
// paint, writes it with `writer` to `path` and closes it. False when any step fails.
bool WritePreviewScreenshot(GUI::CGrid& grid, const std::string& path,
                            const std::function<bool(CWnd&, const std::string&)>& writer);

} // namespace Ombrel::Demo
