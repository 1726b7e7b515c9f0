#pragma once

#include <functional>
#include <memory>
#include <string>

#include "ombrel/Platform.h"

namespace Ombrel::Viewer {

// The table viewer application: reads the command line, opens the frame over the file and
// starts loading it. With --screenshot or --stats it waits for the load (the window keeps
// working meanwhile), writes the PNG or prints the figures, and exits; exit code 1 when the
// file could not be read or the screenshot not written.
class CViewerApp : public CWinApp
{
public:
    CViewerApp();
    ~CViewerApp() override;

    bool InitInstance() override;
    int Run() override;
    int ExitInstance() override;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::Viewer
