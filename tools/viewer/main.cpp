// Entry point of ombrel_view. Without a display the window is drawn on Qt's offscreen
// platform, which is what --screenshot and --stats need.
#include "ViewerApp.h"

int main(int argc, char** argv)
{
    Ombrel::PrepareDisplay();
    Ombrel::Viewer::CViewerApp app;
    return app.Main(argc, argv);
}
