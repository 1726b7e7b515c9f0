// Entry point of ombrel_view. Without a display the window is drawn on Qt's offscreen
// platform, which is what --screenshot and --stats need.
#include "ViewerApp.h"

#include <cstdlib>

namespace {

bool HasDisplay()
{
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
}

} // namespace

int main(int argc, char** argv)
{
    if (!HasDisplay() && std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    Ombrel::Viewer::CViewerApp app;
    return app.Main(argc, argv);
}
