#pragma once

#include "ombrel/base/String.h"
#include "ombrel/platform/Messages.h"

#include <memory>
#include <vector>

namespace Ombrel {

class CWnd;

// The application object: one per process. Main() creates the windowing application (when
// the host has not), then runs InitInstance, Run (the message loop) and ExitInstance.
class CWinApp
{
public:
    explicit CWinApp(const char* appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Creates the main window; false ends the application at once.
    virtual bool InitInstance();
    // Runs the message loop until PostQuitMessage; returns its exit code.
    virtual int Run();
    // Returns the process exit code (by default Run's result, or 1 when InitInstance failed).
    virtual int ExitInstance();
    // Last stop of command routing (CFrameWnd); true when handled.
    virtual bool OnCmdMsg(UINT id, int code);

    int Main(int argc, char** argv);

    CWnd* GetMainWnd() const;
    void SetMainWnd(CWnd* window);
    const CString& GetAppName() const;
    // The command line given to Main, without the program name.
    const std::vector<CString>& GetArguments() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// The application object, or null.
CWinApp* AfxGetApp();

// Whether the process has a display (X11 or Wayland). Without one, and unless the user chose a
// platform (QT_QPA_PLATFORM), it selects the offscreen platform, where windows are drawn into
// memory for screenshots. Call it before Main.
bool PrepareDisplay();

// A modal message box with `text` (MB_OK, MB_OKCANCEL, MB_YESNO, MB_YESNOCANCEL with
// MB_ICON*); returns IDOK, IDCANCEL, IDYES or IDNO. Its caption is the application's name.
int AfxMessageBox(const char* text, UINT type = MB_OK);

} // namespace Ombrel
