#include "ombrel/gui/grid/detail/RepaintPacer.h"

#include <algorithm>

#include "ombrel/gui/grid/GridTimer.h"
#include "ombrel/gui/rows/GridClock.h"
#include "ombrel/platform/Wnd.h"

namespace Ombrel::GUI {

namespace {

// Beyond this many separate rectangles a frame repaints their bounding rectangle.
constexpr std::size_t kMaxRects = 32;

bool Contains(const CRect& outer, const CRect& inner)
{
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

CRect Bounds(const CRect& a, const CRect& b)
{
    return CRect(std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                 std::max(a.bottom, b.bottom));
}

} // namespace

CRepaintPacer::CRepaintPacer(CWnd& window) : m_window(window) {}

void CRepaintPacer::Add(const CRect& rect)
{
    if (rect.IsRectEmpty())
        return;
    Collect(rect);
    if (m_timerArmed)
        return;
    const std::int64_t now = GetGridTime();
    const std::int64_t wait = m_lastFlush < 0 ? 0 : m_lastFlush + GetFrameInterval() - now;
    if (wait <= 0) {
        Flush();
        return;
    }
    if (m_window.SetTimer(TimerId(GridTimer::Frame), static_cast<UINT>(wait)) != 0)
        m_timerArmed = true;
    else
        Flush(); // without a timer the repaint must not wait for a frame that never comes
}

void CRepaintPacer::OnPainted(std::int64_t costUs)
{
    // Smoothed over a few passes: one large pass (a scroll) should not slow every frame after.
    m_paintCostUs = (3 * m_paintCostUs + std::max<std::int64_t>(costUs, 0)) / 4;
}

std::int64_t CRepaintPacer::GetFrameInterval() const
{
    return std::clamp<std::int64_t>(2 * m_paintCostUs / 1000, kFrameIntervalMs,
                                    kLongestFrameIntervalMs);
}

void CRepaintPacer::Flush()
{
    StopTimer();
    m_lastFlush = GetGridTime();
    for (const CRect& rect : m_pending)
        m_window.InvalidateRect(&rect, false);
    m_pending.clear();
}

void CRepaintPacer::Reset()
{
    StopTimer();
    m_pending.clear();
}

void CRepaintPacer::StopTimer()
{
    if (!m_timerArmed)
        return;
    m_window.KillTimer(TimerId(GridTimer::Frame));
    m_timerArmed = false;
}

void CRepaintPacer::Collect(const CRect& rect)
{
    for (CRect& pending : m_pending) {
        if (Contains(pending, rect))
            return;
        if (pending.top == rect.top && pending.bottom == rect.bottom) {
            pending = Bounds(pending, rect);
            return;
        }
    }
    if (m_pending.size() < kMaxRects) {
        m_pending.push_back(rect);
        return;
    }
    CRect all = rect;
    for (const CRect& pending : m_pending)
        all = Bounds(all, pending);
    m_pending.assign(1, all);
}

} // namespace Ombrel::GUI
