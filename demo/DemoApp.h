#pragma once

#include <functional>
#include <memory>
#include <string>

#include "ombrel/Platform.h"

namespace Ombrel::GUI {
class CGrid;
}

namespace Ombrel::Demo {

// The demonstration application: sets the date settings (year-month-day, "-"), reads the
// command line (DemoOptions.h), creates the document and the main frame, and runs it.
//
// Screenshots: with --screenshot, or without a display and without --quit-after, the main
// window is written to a PNG file. Without --quit-after that happens once the window has been
// laid out and painted, and the program ends at once; with it, the file is written just
// before the window closes. The program says where the file is, and fails (exit code 1) when
// it cannot be written.
//
// File > New window (and --new-window) opens another frame over a document of its own; the
// application keeps it until it exits. Rows can be dragged between the grids of its windows.
class CDemoApp : public CWinApp
{
public:
    // Writes the window to a PNG file; false on failure.
    using ScreenshotWriter = std::function<bool(CWnd& window, const std::string& path)>;
    // Makes a drag of the grid's selected rows hover at a client point of the grid, as the
    // platform would deliver it (--drag-preview).
    using DragPreview = std::function<void(GUI::CGrid& grid, CPoint point)>;

    static constexpr const char* kHeadlessScreenshot = "ombrel_demo.png";

    // `headless`: there is no display, so nothing would be seen without a screenshot.
    CDemoApp(ScreenshotWriter writer, bool headless, DragPreview dragPreview = {});
    ~CDemoApp() override;

    bool InitInstance() override;
    int Run() override;
    int ExitInstance() override;
    bool OnCmdMsg(UINT id, int code) override;

    // Opens another window over a new document; false when it cannot be created.
    bool OpenWindow();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::Demo
