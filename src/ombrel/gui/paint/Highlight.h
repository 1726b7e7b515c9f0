#pragma once

#include "ombrel/base/Color.h"
#include "ombrel/gui/paint/HighlightSettings.h"

#include <cstdint>

namespace Ombrel::GUI {

// The highlight a changed cell shows at one moment: which colours lie over the cell's text
// and background, and how strongly. An alpha of 0 leaves that colour alone.
struct CellHighlight
{
    COLORREF textColor = 0;
    int textAlpha = 0;
    COLORREF backgroundColor = 0;
    int backgroundAlpha = 0;

    bool IsActive() const { return textAlpha > 0 || backgroundAlpha > 0; }
};

// Whether a cell whose value changed `elapsedMs` ago (negative: never, or unknown) is still
// highlighted: only while 0 <= elapsed < duration, and never with a zero duration.
bool IsHighlighted(const HighlightSettings& settings, std::int64_t elapsedMs);

// The highlight of a cell with `cellText` on `cellBackground` that changed `elapsedMs` ago.
// Opaque styles lay their colour at alpha 255, the "at alpha" styles at the configured
// alpha, the fading ones at alpha * (duration - elapsed) / duration; the inverse style lays
// each of the cell's own colours over the other. Inactive (all alphas 0) when the cell is
// not highlighted or the style is unknown.
CellHighlight GetCurrentHighlight(const HighlightSettings& settings, std::int64_t elapsedMs,
                                  COLORREF cellText, COLORREF cellBackground);

// How long until the highlight of that cell next looks different: the remaining time, but
// for the fading styles at most the repaint interval, so that the fade advances in steps
// of that interval. -1 when the cell is not highlighted (nothing to schedule). Never 0: a
// zero repaint interval would otherwise ask for repaints without pause.
std::int64_t GetHighlightRepaintDelay(const HighlightSettings& settings, std::int64_t elapsedMs);

} // namespace Ombrel::GUI
