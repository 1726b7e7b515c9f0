#pragma once

#include <cstdint>
#include <vector>

#include "ombrel/base/Geometry.h"

namespace Ombrel {
class CWnd;
}

namespace Ombrel::GUI {

// Repaints that changes of data ask for, collected and handed to the window once per frame.
//
// A grid under live data hears many changes a frame; invalidating the window for each one
// makes the window system merge a rectangle per change and lets the grid paint as often as
// its event loop turns. The pacer instead collects the rectangles and invalidates them
// together at most once per frame interval: the first change after a quiet interval is handed
// over at once (no added latency when changes are rare); later ones wait for the frame timer.
// The frame interval stretches with what a paint pass costs, so that painting takes at most
// about half of the window thread's time and changes keep being applied between frames.
//
// Rectangles are client coordinates taken when the repaint was asked for. Whatever moves
// pixels on screen (scrolling) must Flush first, so that the window system moves the pending
// rectangles along with the pixels.
class CRepaintPacer
{
public:
    // Changes are painted at most this often: the usual display rate.
    static constexpr std::int64_t kFrameIntervalMs = 16;
    // However slow painting is, changes wait no longer than this for their frame.
    static constexpr std::int64_t kLongestFrameIntervalMs = 40;

    explicit CRepaintPacer(CWnd& window);
    CRepaintPacer(const CRepaintPacer&) = delete;
    CRepaintPacer& operator=(const CRepaintPacer&) = delete;

    // Repaints `rect` with the next frame; an empty rectangle asks for nothing.
    void Add(const CRect& rect);
    // Invalidates everything collected now and stops the frame timer.
    void Flush();
    // The frame timer fired.
    void OnFrameTimer() { Flush(); }
    // Forgets what was collected (the window is going) and stops the frame timer.
    void Reset();

    // A paint pass of the window took `costUs` microseconds.
    void OnPainted(std::int64_t costUs);

    bool HasPending() const { return !m_pending.empty(); }
    // The current frame interval in milliseconds.
    std::int64_t GetFrameInterval() const;

private:
    // Merges `rect` into the collected rectangles: a rectangle inside one that is collected
    // adds nothing, one on the same band of rows widens it, and beyond a few dozen the
    // collection becomes its bounding rectangle (a frame repaints some extra pixels rather
    // than making the window system merge hundreds of rectangles).
    void Collect(const CRect& rect);
    void StopTimer();

    CWnd& m_window;
    std::vector<CRect> m_pending;   // client coordinates, at most kMaxRects
    std::int64_t m_lastFlush = -1;  // grid time of the last hand-over, -1 before the first
    bool m_timerArmed = false;      // the frame timer runs while something waits for it
    std::int64_t m_paintCostUs = 0; // recent paint passes, smoothed
};

} // namespace Ombrel::GUI
