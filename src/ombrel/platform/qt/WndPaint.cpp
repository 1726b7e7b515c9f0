// CWnd: invalidation, the update region, ScrollWindow and the window's scroll bars.

#include "ombrel/platform/Wnd.h"

#include "ombrel/platform/WindowMessaging.h"
#include "ombrel/platform/qt/CachedScrollBar.h"
#include "ombrel/platform/qt/HostWidget.h"
#include "ombrel/platform/qt/WndImpl.h"

#include <QApplication>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>

namespace Ombrel {
namespace {

QRect ToQRect(const CRect& rect)
{
    return QRect(rect.left, rect.top, std::max(rect.Width(), 0), std::max(rect.Height(), 0));
}

CRect ToCRect(const QRect& rect)
{
    return CRect(rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height());
}

bool IsBar(int bar)
{
    return bar == SB_HORZ || bar == SB_VERT;
}

// The largest position the page allows.
int Limit(const ScrollBarState& state)
{
    int pageExtra = state.page > 0 ? static_cast<int>(state.page) - 1 : 0;
    return std::max(state.minPos, state.maxPos - pageExtra);
}

void Normalize(ScrollBarState& state)
{
    if (state.maxPos < state.minPos)
        state.maxPos = state.minPos;
    auto span = static_cast<std::int64_t>(state.maxPos) - state.minPos + 1;
    state.page = static_cast<UINT>(std::min<std::int64_t>(state.page, span));
    state.pos = std::clamp(state.pos, state.minPos, Limit(state));
}

// A bar is needed while its range is larger than its page.
bool Needed(const ScrollBarState& state)
{
    auto span = static_cast<std::int64_t>(state.maxPos) - state.minPos;
    return span > 0 && (state.page == 0 || static_cast<std::int64_t>(state.page) <= span);
}

// Whether the window shows the bar: forced either way, else while it is needed or asked to
// stay (disabled) when it is not.
bool ShouldShow(const ScrollBarState& state)
{
    return state.forced != ScrollBarState::Forced::Hidden &&
           (state.forced == ScrollBarState::Forced::Shown || Needed(state) || state.disableNoScroll);
}

UINT CommandOf(int action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: return SB_LINEDOWN;
    case QAbstractSlider::SliderSingleStepSub: return SB_LINEUP;
    case QAbstractSlider::SliderPageStepAdd: return SB_PAGEDOWN;
    case QAbstractSlider::SliderPageStepSub: return SB_PAGEUP;
    case QAbstractSlider::SliderToMinimum: return SB_TOP;
    case QAbstractSlider::SliderToMaximum: return SB_BOTTOM;
    default: return SB_ENDSCROLL;
    }
}

} // namespace

// ---- Scroll bar widgets -------------------------------------------------------------------
// The QScrollBar mirrors the window's ScrollBarState and never moves on its own: a user action
// is turned back, then reported as WM_HSCROLL / WM_VSCROLL; the window sets the new position.

void CWnd::Impl::UpdateScrollBarWidget(int bar)
{
    if (!widget)
        return;
    QPointer<QScrollBar>& scrollBar = barWidgets[bar];
    if (!scrollBar) {
        scrollBar = new CCachedScrollBar(bar == SB_VERT ? Qt::Vertical : Qt::Horizontal, widget);
        scrollBar->setTracking(false);
        scrollBar->setFocusPolicy(Qt::NoFocus);
        scrollBar->hide();
        CWnd* wnd = &self;
        QScrollBar* sb = scrollBar;
        UINT message = bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL;
        auto send = [wnd, message](UINT code, int position) {
            if (IsWindow(wnd))
                DispatchNow(*wnd, message, MAKEWPARAM(code, static_cast<std::uint32_t>(position)), 0);
        };
        QObject::connect(sb, &QAbstractSlider::actionTriggered, sb, [wnd, sb, bar, send](int action) {
            const ScrollBarState& state = Impl::Of(*wnd).bars[bar];
            QSignalBlocker block(sb);
            sb->setSliderPosition(state.pos);
            if (action != QAbstractSlider::SliderMove && action != QAbstractSlider::SliderNoAction)
                send(CommandOf(action), state.pos);
        });
        QObject::connect(sb, &QAbstractSlider::sliderMoved, sb, [wnd, bar, send](int position) {
            Impl::Of(*wnd).bars[bar].trackPos = position;
            send(SB_THUMBTRACK, position);
        });
        QObject::connect(sb, &QAbstractSlider::sliderReleased, sb, [wnd, bar, send] {
            int track = Impl::Of(*wnd).bars[bar].trackPos;
            send(SB_THUMBPOSITION, track);
            send(SB_ENDSCROLL, 0);
        });
    }
    const ScrollBarState& state = bars[bar];
    QSignalBlocker block(scrollBar.data());
    scrollBar->setRange(state.minPos, Limit(state));
    scrollBar->setPageStep(std::max<int>(1, static_cast<int>(state.page)));
    scrollBar->setSingleStep(1);
    scrollBar->setValue(state.pos);
    scrollBar->setEnabled(Needed(state));
}

void CWnd::Impl::LayoutScrollBars()
{
    if (!widget)
        return;
    for (int bar : {SB_HORZ, SB_VERT}) {
        ScrollBarState& state = bars[bar];
        state.shown = ShouldShow(state);
        if (state.shown && !barWidgets[bar])
            UpdateScrollBarWidget(bar);
    }
    int extent = widget->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, widget);
    int width = widget->width();
    int height = widget->height();
    bool vertical = bars[SB_VERT].shown;
    bool horizontal = bars[SB_HORZ].shown;
    if (QScrollBar* sb = barWidgets[SB_VERT]) {
        sb->setGeometry(width - extent, 0, extent, std::max(0, height - (horizontal ? extent : 0)));
        sb->setVisible(vertical);
    }
    if (QScrollBar* sb = barWidgets[SB_HORZ]) {
        sb->setGeometry(0, height - extent, std::max(0, width - (vertical ? extent : 0)), extent);
        sb->setVisible(horizontal);
    }
}

int CWnd::SetScrollInfo(int bar, const SCROLLINFO& info, bool redraw)
{
    Impl& impl = *m_impl;
    if (!IsBar(bar) || !impl.IsCreated())
        return 0;
    ScrollBarState& state = impl.bars[bar];
    const bool hadWidget = impl.barWidgets[bar] != nullptr;
    if (info.fMask & SIF_RANGE) {
        state.minPos = info.nMin;
        state.maxPos = info.nMax;
    }
    if (info.fMask & SIF_PAGE)
        state.page = info.nPage;
    if (info.fMask & SIF_POS)
        state.pos = info.nPos;
    state.disableNoScroll = (info.fMask & SIF_DISABLENOSCROLL) != 0;
    Normalize(state);
    int position = state.pos;
    impl.UpdateScrollBarWidget(bar);
    // The bars' places depend only on which of them are shown and on the window's size (its
    // resize lays them out again): a scroll that leaves the bar shown as it was, as every
    // page-down does, moves no widget.
    if (!hadWidget || ShouldShow(state) != state.shown)
        impl.LayoutScrollBars();
    if (redraw && impl.barWidgets[bar])
        impl.barWidgets[bar]->update();
    impl.SendSizeIfChanged(); // a bar that appeared or went away changes the client area
    return position;
}

bool CWnd::GetScrollInfo(int bar, SCROLLINFO* info, UINT mask) const
{
    const Impl& impl = *m_impl;
    if (!IsBar(bar) || info == nullptr || !impl.IsCreated())
        return false;
    const ScrollBarState& state = impl.bars[bar];
    info->fMask = mask;
    if (mask & SIF_RANGE) {
        info->nMin = state.minPos;
        info->nMax = state.maxPos;
    }
    if (mask & SIF_PAGE)
        info->nPage = state.page;
    if (mask & SIF_POS)
        info->nPos = state.pos;
    if (mask & SIF_TRACKPOS)
        info->nTrackPos = state.trackPos;
    return true;
}

int CWnd::SetScrollPos(int bar, int position, bool redraw)
{
    int previous = GetScrollPos(bar);
    SCROLLINFO info;
    info.fMask = SIF_POS;
    info.nPos = position;
    SetScrollInfo(bar, info, redraw);
    return previous;
}

int CWnd::GetScrollPos(int bar) const
{
    return IsBar(bar) ? m_impl->bars[bar].pos : 0;
}

void CWnd::SetScrollRange(int bar, int minPos, int maxPos, bool redraw)
{
    SCROLLINFO info;
    info.fMask = SIF_RANGE;
    info.nMin = minPos;
    info.nMax = maxPos;
    SetScrollInfo(bar, info, redraw);
}

void CWnd::GetScrollRange(int bar, int* minPos, int* maxPos) const
{
    const ScrollBarState state = IsBar(bar) ? m_impl->bars[bar] : ScrollBarState{};
    if (minPos != nullptr)
        *minPos = state.minPos;
    if (maxPos != nullptr)
        *maxPos = state.maxPos;
}

int CWnd::GetScrollLimit(int bar) const
{
    return IsBar(bar) ? Limit(m_impl->bars[bar]) : 0;
}

void CWnd::ShowScrollBar(int bar, bool show)
{
    Impl& impl = *m_impl;
    if (!impl.IsCreated())
        return;
    for (int which : {SB_HORZ, SB_VERT}) {
        if (bar == which || bar == SB_BOTH) {
            impl.bars[which].forced = show ? ScrollBarState::Forced::Shown : ScrollBarState::Forced::Hidden;
        }
    }
    impl.LayoutScrollBars();
    impl.SendSizeIfChanged();
}

// ---- Invalidation and painting ------------------------------------------------------------

void CWnd::Invalidate(bool erase)
{
    InvalidateRect(nullptr, erase);
}

void CWnd::InvalidateRect(const CRect* rect, bool)
{
    Impl& impl = *m_impl;
    if (!impl.widget)
        return;
    QRect client = impl.ClientQRect();
    QRect area = rect != nullptr ? ToQRect(*rect) & client : client;
    if (area.isEmpty())
        return;
    impl.pendingUpdate += area;
    impl.widget->update(area);
}

void CWnd::UpdateWindow()
{
    Impl& impl = *m_impl;
    if (!impl.widget || !impl.widget->isVisible())
        return;
    // A synchronous repaint flushes everything pending for the widget's top-level window.
    if (!impl.pendingUpdate.isEmpty())
        impl.widget->repaint(impl.pendingUpdate);
}

bool CWnd::RedrawWindow(const CRect* rect, UINT flags)
{
    if (!m_impl->widget)
        return false;
    if (flags & RDW_INVALIDATE)
        InvalidateRect(rect, (flags & RDW_ERASE) != 0);
    if (flags & (RDW_UPDATENOW | RDW_ERASENOW))
        UpdateWindow();
    return true;
}

std::vector<CRect> CWnd::GetUpdateRects() const
{
    std::vector<CRect> rects;
    for (const QRect& rect : m_impl->paintRegion)
        rects.push_back(ToCRect(rect));
    return rects;
}

CRect CWnd::GetUpdateBounds() const
{
    return ToCRect(m_impl->paintRegion.boundingRect());
}

void CWnd::ScrollWindow(int dx, int dy, const CRect* scrollRect, const CRect* clipRect)
{
    Impl& impl = *m_impl;
    if (!impl.widget || (dx == 0 && dy == 0))
        return;
    QRect client = impl.ClientQRect();
    QRect area = scrollRect != nullptr ? ToQRect(*scrollRect) & client : client;
    if (clipRect != nullptr)
        area &= ToQRect(*clipRect);
    if (area.isEmpty())
        return;
    // Qt moves the pixels inside `area` and schedules a repaint of the uncovered band only.
    impl.widget->scroll(dx, dy, area);
    QRegion uncovered = QRegion(area) - QRegion(area.translated(dx, dy) & area);
    QRegion movedPending = impl.pendingUpdate.translated(dx, dy) & area;
    impl.pendingUpdate = (impl.pendingUpdate - area) + movedPending + uncovered;
}

} // namespace Ombrel
