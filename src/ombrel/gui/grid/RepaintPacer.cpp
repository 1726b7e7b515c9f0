#include "ombrel/gui/grid/detail/RepaintPacer.h"

#include <algorithm>
#include <cassert>

#include "ombrel/gui/grid/GridTimer.h"
#include "ombrel/gui/rows/GridClock.h"
#include "ombrel/platform/Wnd.h"

namespace Ombrel::GUI {

namespace {

// Beyond this many separate rectangles a frame repaints their bounding rectangle.
constexpr std::size_t kMaxRects = 32;
// Beyond this many kept row or position repaints they are resolved before the frame, so that
// a frame of a very fast feed does not hold an unbounded list.
constexpr std::size_t kMaxKept = std::size_t{1} << 14;

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

CRepaintPacer::CRepaintPacer(CWnd& window, IResolver* resolver)
    : m_window(window), m_resolver(resolver)
{}

void CRepaintPacer::Add(const CRect& rect)
{
    if (rect.IsRectEmpty())
        return;
    Collect(rect);
    Schedule();
}

void CRepaintPacer::AddRow(CGridItem* row, int fieldId)
{
    assert(m_resolver && "row repaints are placed by the resolver");
    if (!row || !m_resolver)
        return;
    // A row that changes again within the frame asks for nothing new.
    if (!m_rowRepaints.empty() && m_rowRepaints.back().row == row &&
        m_rowRepaints.back().fieldId == fieldId)
        return;
    if (m_rowRepaints.size() >= kMaxKept)
        ResolveKept();
    m_rowRepaints.push_back(RowRepaint{row, fieldId});
    Schedule();
}

void CRepaintPacer::AddPositions(int rowType, int first, int last)
{
    assert(m_resolver && "position repaints are placed by the resolver");
    if (!m_resolver)
        return;
    if (m_positionRepaints.size() >= kMaxKept)
        ResolveKept();
    m_positionRepaints.push_back(
        PositionsRepaint{rowType, std::min(first, last), std::max(first, last)});
    Schedule();
}

void CRepaintPacer::Schedule()
{
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

void CRepaintPacer::ResolveKept()
{
    if (m_rowRepaints.empty() && m_positionRepaints.empty())
        return;
    m_resolved.clear();
    m_resolver->Resolve(m_rowRepaints, m_positionRepaints, m_resolved);
    m_rowRepaints.clear();
    m_positionRepaints.clear();
    for (const CRect& rect : m_resolved) {
        if (!rect.IsRectEmpty())
            Collect(rect);
    }
}

void CRepaintPacer::Flush()
{
    StopTimer();
    ResolveKept();
    m_lastFlush = GetGridTime();
    for (const CRect& rect : m_pending)
        m_window.InvalidateRect(&rect, false);
    m_pending.clear();
}

void CRepaintPacer::Reset()
{
    StopTimer();
    m_pending.clear();
    m_rowRepaints.clear();
    m_positionRepaints.clear();
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
