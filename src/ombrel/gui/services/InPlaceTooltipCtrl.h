#pragma once

#include "ombrel/gui/services/TooltipCtrl.h"

namespace Ombrel::GUI {

// The in-place tooltip: a truncated cell's whole text, shown exactly over the cell's text
// area in the grid's font, at least as high as the cell, so that it reads as the cell grown
// wide enough. A cell whose text fits, and an empty text, show nothing. Follows the grid's
// in-place tooltip settings.
class CInPlaceTooltipCtrl : public CTooltipCtrl
{
public:
    explicit CInPlaceTooltipCtrl(bool autoDelete = true) : CTooltipCtrl(autoDelete) {}

    // Shows the text when the cell's text rectangle (as the cell's paint format computes it)
    // is not empty and narrower than the text; the window starts at that rectangle's top-left
    // corner, as wide as the measured text and as high as the rectangle.
    bool Show(CGrid& grid, const CellPaintContext& cell) override;
    // The text measured in the grid's font (else the default font), at least the cell's height.
    CSize MeasureTooltip(CGrid& grid, const CellPaintContext& cell) override;

protected:
    const TooltipSettings& GetSettings(CGrid& grid) const override;
    // The text stands where the cell draws it: on one line, vertically centred.
    CRect GetTextRect(const CRect& client) const override;
    UINT GetTextFormat() const override;
};

} // namespace Ombrel::GUI
