#include "ombrel/gui/edit/EmbeddedControlAdapter.h"

#include "ombrel/gui/edit/HookWnd.h"
#include "ombrel/platform/WindowMessaging.h"
#include "ombrel/platform/Wnd.h"

#include <algorithm>
#include <vector>

namespace Ombrel::GUI {

class CEmbeddedControlAdapter::CImpl final : public CHookWnd
{
public:
    explicit CImpl(CWnd* grid) : gridWindow(grid) {}

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        // A copy: a sink may remove itself (or another) while it is told.
        for (ISink* sink : std::vector<ISink*>(sinks)) {
            if (std::find(sinks.begin(), sinks.end(), sink) != sinks.end())
                sink->OnControlMessage(ownerValue, message, wParam, lParam);
        }
        LRESULT result = CallNext(message, wParam, lParam);
        if (message == WM_PAINT)
            RefreshUncoveredCell();
        else if (message == WM_KILLFOCUS && gridWindow != nullptr && IsWindow(gridWindow))
            gridWindow->Invalidate(false);
        return result;
    }

    // Invalidates the bands of the cell around the control; never the control's own area, so
    // that the grid's repaint does not paint the control again.
    void RefreshUncoveredCell()
    {
        CWnd* control = GetHookedWindow();
        if (gridWindow == nullptr || control == nullptr || cell.IsRectEmpty() || !IsWindow(gridWindow))
            return;
        CRect covered;
        control->GetWindowRect(&covered);
        gridWindow->ScreenToClient(&covered);
        const CRect bands[4] = {
            CRect(cell.left, cell.top, cell.right, std::min(cell.bottom, covered.top)),
            CRect(cell.left, std::max(cell.top, covered.bottom), cell.right, cell.bottom),
            CRect(cell.left, covered.top, std::min(cell.right, covered.left), covered.bottom),
            CRect(std::max(cell.left, covered.right), covered.top, cell.right, covered.bottom),
        };
        for (const CRect& band : bands) {
            CRect inCell;
            if (inCell.IntersectRect(band, cell) && !inCell.IsRectEmpty())
                gridWindow->InvalidateRect(&inCell, false);
        }
    }

    CWnd* gridWindow;
    std::vector<ISink*> sinks; // registration order; not owned
    std::uintptr_t ownerValue = 0;
    CRect cell;
};

CEmbeddedControlAdapter::CEmbeddedControlAdapter(CWnd* gridWindow)
    : m_impl(std::make_unique<CImpl>(gridWindow))
{
}

CEmbeddedControlAdapter::~CEmbeddedControlAdapter() = default;

bool CEmbeddedControlAdapter::Attach(CWnd* control)
{
    return m_impl->Hook(control);
}

bool CEmbeddedControlAdapter::Detach()
{
    return m_impl->Unhook();
}

CWnd* CEmbeddedControlAdapter::GetControl() const
{
    return m_impl->GetHookedWindow();
}

void CEmbeddedControlAdapter::AddSink(ISink* sink)
{
    if (sink != nullptr && std::find(m_impl->sinks.begin(), m_impl->sinks.end(), sink) == m_impl->sinks.end())
        m_impl->sinks.push_back(sink);
}

void CEmbeddedControlAdapter::RemoveSink(ISink* sink)
{
    std::erase(m_impl->sinks, sink);
}

void CEmbeddedControlAdapter::SetOwnerValue(std::uintptr_t value)
{
    m_impl->ownerValue = value;
}

std::uintptr_t CEmbeddedControlAdapter::GetOwnerValue() const
{
    return m_impl->ownerValue;
}

void CEmbeddedControlAdapter::SetCellRect(const CRect& cell)
{
    m_impl->cell = cell;
}

CRect CEmbeddedControlAdapter::GetCellRect() const
{
    return m_impl->cell;
}

} // namespace Ombrel::GUI
