#include "ombrel/gui/grid/detail/GridEmbeddedControls.h"

#include "ombrel/common/DataObject.h"
#include "ombrel/gui/edit/EmbeddedControlAdapter.h"
#include "ombrel/gui/edit/HookWnd.h"
#include "ombrel/gui/grid/detail/GridLayout.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/gui/rows/GridRows.h"
#include "ombrel/platform/WindowMessaging.h"
#include "ombrel/platform/Wnd.h"

#include <algorithm>
#include <vector>

namespace Ombrel::GUI {

namespace {

// One cell with a control. `row` may be a removed row: it is compared, never followed, until
// CGridRows::IsValid vouches for it.
struct Cell
{
    CGridItem* row = nullptr;
    std::int32_t fieldId = 0;
    std::unique_ptr<CEmbeddedControlAdapter> adapter;
    bool hiddenHere = false; // this service hid the control; it shows it again
};

} // namespace

struct CGridEmbeddedControls::Impl
{
    // Places the controls before the grid paints, so that a control follows every change of
    // its cell (column widths, rows coming and going) without a call from each of them.
    class PaintHook final : public CHookWnd
    {
    public:
        explicit PaintHook(Impl& impl) : m_impl(impl) {}
        LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
        {
            if (message == WM_PAINT)
                m_impl.PlaceAll();
            return CallNext(message, wParam, lParam);
        }

    private:
        Impl& m_impl;
    };

    Impl(CWnd& gridWindow, CGridRows& gridRows, CGridLayout& gridLayout)
        : grid(gridWindow), rows(gridRows), layout(gridLayout), paintHook(*this)
    {
    }

    void HookGrid()
    {
        if (paintHook.GetHookedWindow() == nullptr && IsWindow(&grid))
            paintHook.Hook(&grid);
    }

    bool IsLive(const Cell& cell) const
    {
        // A new row made at a removed row's address has no entry for this adapter.
        return cell.adapter->GetControl() != nullptr && rows.IsValid(cell.row) &&
               cell.row->GetEmbeddedControl(cell.fieldId) == cell.adapter.get();
    }

    // Forgets the cells whose control or row is gone.
    void DropDeadCells()
    {
        std::erase_if(cells, [this](Cell& cell) {
            if (IsLive(cell))
                return false;
            Forget(cell);
            return true;
        });
    }

    void Forget(Cell& cell)
    {
        cell.adapter->Detach();
        if (rows.IsValid(cell.row) && cell.row->GetEmbeddedControl(cell.fieldId) == cell.adapter.get())
            cell.row->SetEmbeddedControl(cell.fieldId, nullptr);
    }

    void PlaceAll()
    {
        DropDeadCells();
        for (Cell& cell : cells)
            Place(cell);
    }

    void Place(Cell& cell)
    {
        CWnd* control = cell.adapter->GetControl();
        const CRect target = layout.IsOnScreen(cell.row) ? layout.GetCellRect(cell.row, cell.fieldId) : CRect();
        cell.adapter->SetCellRect(target);
        if (target.IsRectEmpty()) {
            if (control->IsWindowVisible()) {
                control->ShowWindow(SW_HIDE);
                cell.hiddenHere = true;
            }
            return;
        }
        CRect current;
        control->GetWindowRect(&current);
        grid.ScreenToClient(&current);
        if (current != target)
            control->MoveWindow(target, true);
        if (cell.hiddenHere) {
            control->ShowWindow(SW_SHOWNA);
            cell.hiddenHere = false;
        }
    }

    void DetachAll()
    {
        for (Cell& cell : cells)
            Forget(cell);
        cells.clear();
        paintHook.Unhook();
    }

    CWnd& grid;
    CGridRows& rows;
    CGridLayout& layout;
    std::vector<Cell> cells; // in attaching order
    PaintHook paintHook;
};

CGridEmbeddedControls::CGridEmbeddedControls(CWnd& grid, CGridRows& rows, CGridLayout& layout)
    : m_impl(std::make_unique<Impl>(grid, rows, layout))
{
}

CGridEmbeddedControls::~CGridEmbeddedControls()
{
    m_impl->DetachAll();
}

CEmbeddedControlAdapter* CGridEmbeddedControls::Attach(CWnd* control, CGridItem* row,
                                                        std::int32_t fieldId)
{
    if (fieldId == Common::AllFields || fieldId == Common::NoField || control == nullptr ||
        !IsWindow(control) || !m_impl->rows.IsValid(row))
        return nullptr;
    m_impl->DropDeadCells();
    if (row->GetEmbeddedControl(fieldId) != nullptr)
        return nullptr;
    auto adapter = std::make_unique<CEmbeddedControlAdapter>(&m_impl->grid);
    if (!adapter->Attach(control))
        return nullptr;
    CEmbeddedControlAdapter* attached = adapter.get();
    row->SetEmbeddedControl(fieldId, attached);
    m_impl->cells.push_back(Cell{row, fieldId, std::move(adapter)});
    m_impl->HookGrid();
    m_impl->Place(m_impl->cells.back());
    return attached;
}

bool CGridEmbeddedControls::Has(CGridItem* row, std::int32_t fieldId)
{
    m_impl->DropDeadCells();
    return m_impl->rows.IsValid(row) && row->GetEmbeddedControl(fieldId) != nullptr;
}

void CGridEmbeddedControls::PlaceAll()
{
    m_impl->PlaceAll();
}

int CGridEmbeddedControls::GetCount() const
{
    return static_cast<int>(m_impl->cells.size());
}

void CGridEmbeddedControls::OnWindowCreated()
{
    m_impl->HookGrid();
}

void CGridEmbeddedControls::OnWindowDestroying()
{
    m_impl->DetachAll();
}

void CGridEmbeddedControls::OnViewScrolled()
{
    m_impl->PlaceAll();
}

} // namespace Ombrel::GUI
