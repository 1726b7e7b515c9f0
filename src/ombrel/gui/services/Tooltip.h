#pragma once

#include "ombrel/base/String.h"
#include "ombrel/gui/AutoDelete.h"

namespace Ombrel::GUI {

class CGrid;
struct CellPaintContext;

// Supplies the text a tooltip shows for a cell. A grid uses its own provider when one is set
// (CGrid::SetTooltip), else the process-wide default. Window thread only. The order of the
// operations is the order of the slots.
class ITooltip
{
public:
    virtual ~ITooltip() = default;
    virtual bool IsAutoDelete() const = 0;
    virtual bool HasTooltip(CGrid& grid, const CellPaintContext& cell) = 0;
    virtual CString GetTooltipText(CGrid& grid, const CellPaintContext& cell) = 0;
};

// The standard provider: a cell's own text, as the standard cell paint format shows it, when
// the cell has a row and a column; empty otherwise. HasTooltip is true for a non-empty text.
class CTooltip : public ITooltip, public IAutoDelete
{
public:
    explicit CTooltip(bool autoDelete = true) : m_autoDelete(autoDelete) {}

    bool IsAutoDelete() const override { return m_autoDelete; }
    bool HasTooltip(CGrid& grid, const CellPaintContext& cell) override;
    CString GetTooltipText(CGrid& grid, const CellPaintContext& cell) override;

    // The process-wide default provider (not auto-deleted), alive until process exit.
    static CTooltip& GetDefault();

private:
    bool m_autoDelete;
};

} // namespace Ombrel::GUI
