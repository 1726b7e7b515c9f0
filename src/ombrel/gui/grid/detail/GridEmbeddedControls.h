#pragma once

#include "ombrel/gui/grid/GridService.h"

#include <cstdint>
#include <memory>

namespace Ombrel {
class CWnd;
}

namespace Ombrel::GUI {

class CEmbeddedControlAdapter;
class CGridItem;
class CGridLayout;
class CGridRows;

// The controls that live in grid cells: one adapter per cell (owned here, also entered in the
// row's embedded-control map), the controls kept on their cells.
//
// Placing: before every paint of the grid window (a hook on it), after each scroll
// (OnViewScrolled) and on attaching, each control is moved onto its cell; a control whose row
// is off screen, hidden or gone, or whose column is hidden, is hidden, and shown again when its
// cell is back. A control this service did not hide stays as its owner left it.
// Forgetting: a cell whose control was destroyed or whose row was removed is dropped at the
// next placing; the grid window's destruction detaches every adapter.
class CGridEmbeddedControls final : public IGridService
{
public:
    CGridEmbeddedControls(CWnd& grid, CGridRows& rows, CGridLayout& layout);
    ~CGridEmbeddedControls();
    CGridEmbeddedControls(const CGridEmbeddedControls&) = delete;
    CGridEmbeddedControls& operator=(const CGridEmbeddedControls&) = delete;

    // The adapter of the new cell; null for NoField / AllFields, a control that is no window,
    // a row that is not in the grid, or a cell that already has a control.
    CEmbeddedControlAdapter* Attach(CWnd* control, CGridItem* row, std::int32_t fieldId);
    bool Has(CGridItem* row, std::int32_t fieldId);
    // Moves every control onto its cell (see above).
    void PlaceAll();
    // The number of cells with a control.
    int GetCount() const;

    void OnWindowCreated() override;
    void OnWindowDestroying() override;
    void OnViewScrolled() override;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::GUI
