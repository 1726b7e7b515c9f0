#pragma once

#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#include "ombrel/base/Geometry.h"

namespace Ombrel {
class CWnd;
}

namespace Ombrel::GUI {

class CGridItem;

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
// Rectangles are client coordinates taken when the repaint was asked for. Repaints of a row, a
// cell or a range of visible positions are kept as such and turned into rectangles by the
// resolver when the frame is handed over: a grid of a million rows hears mostly of rows far
// off screen, and finding out per change that a row is not on screen costs more than the
// change itself, while once per frame the rows on screen are known at a glance. Whatever moves
// pixels on screen (scrolling) must Flush first, so that the window system moves the pending
// rectangles along with the pixels and row repaints are placed where the rows were.
class CRepaintPacer
{
public:
    // Changes are painted at most this often: the usual display rate.
    static constexpr std::int64_t kFrameIntervalMs = 16;
    // However slow painting is, changes wait no longer than this for their frame.
    static constexpr std::int64_t kLongestFrameIntervalMs = 40;
    // The field of a RowRepaint that stands for the whole row.
    static constexpr int kWholeRow = std::numeric_limits<int>::min();

    // A row's cell (or the whole row) to repaint wherever the row is at the frame. The row is
    // only compared with the rows on screen then, never dereferenced unless it is one of them:
    // it may be gone by then.
    struct RowRepaint
    {
        CGridItem* row;
        int fieldId; // or kWholeRow
    };
    // Visible positions first..last (inclusive) of a kind of rows.
    struct PositionsRepaint
    {
        int rowType;
        int first;
        int last;
    };
    // Turns kept repaints into client rectangles, appended to `rects` (the part on screen only;
    // the rest asks for nothing).
    class IResolver
    {
    public:
        virtual ~IResolver() = default;
        virtual void Resolve(std::span<const RowRepaint> rows,
                             std::span<const PositionsRepaint> positions,
                             std::vector<CRect>& rects) = 0;
    };

    // Without a resolver only rectangles may be added.
    explicit CRepaintPacer(CWnd& window, IResolver* resolver = nullptr);
    CRepaintPacer(const CRepaintPacer&) = delete;
    CRepaintPacer& operator=(const CRepaintPacer&) = delete;

    // Repaints `rect` with the next frame; an empty rectangle asks for nothing.
    void Add(const CRect& rect);
    // Repaints the row's cell of `fieldId` (or the whole row, kWholeRow) with the next frame,
    // where the row is then. Needs a resolver.
    void AddRow(CGridItem* row, int fieldId);
    // Repaints the visible positions first..last of `rowType` with the next frame. Needs a
    // resolver.
    void AddPositions(int rowType, int first, int last);
    // Invalidates everything collected now and stops the frame timer.
    void Flush();
    // The frame timer fired.
    void OnFrameTimer() { Flush(); }
    // Forgets what was collected (the window is going) and stops the frame timer.
    void Reset();

    // A paint pass of the window took `costUs` microseconds.
    void OnPainted(std::int64_t costUs);

    bool HasPending() const
    {
        return !m_pending.empty() || !m_rowRepaints.empty() || !m_positionRepaints.empty();
    }
    // The current frame interval in milliseconds.
    std::int64_t GetFrameInterval() const;

private:
    // Merges `rect` into the collected rectangles: a rectangle inside one that is collected
    // adds nothing, one on the same band of rows widens it, and beyond a few dozen the
    // collection becomes its bounding rectangle (a frame repaints some extra pixels rather
    // than making the window system merge hundreds of rectangles).
    void Collect(const CRect& rect);
    // Hands the frame over now or arms the frame timer, for a repaint just collected.
    void Schedule();
    // Turns the kept row and position repaints into collected rectangles.
    void ResolveKept();
    void StopTimer();

    CWnd& m_window;
    IResolver* m_resolver;          // not owned; null: rectangles only
    std::vector<CRect> m_pending;   // client coordinates, at most kMaxRects
    std::vector<RowRepaint> m_rowRepaints;             // kept until the frame, at most kMaxKept
    std::vector<PositionsRepaint> m_positionRepaints;  // likewise
    std::vector<CRect> m_resolved;  // the resolver's output; kept so a frame allocates nothing
    std::int64_t m_lastFlush = -1;  // grid time of the last hand-over, -1 before the first
    bool m_timerArmed = false;      // the frame timer runs while something waits for it
    std::int64_t m_paintCostUs = 0; // recent paint passes, smoothed
};

} // namespace Ombrel::GUI
