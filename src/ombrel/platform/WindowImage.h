#pragma once

namespace Ombrel {

class CWnd;

// Renders the window and its children, as they would appear on screen, into a PNG file.
// Works without a display (offscreen platform); the window need not be shown. False when the
// window has no widget or the file cannot be written.
bool RenderWindowToPng(CWnd& window, const char* path);

} // namespace Ombrel
