#pragma once

#include "ombrel/gui/edit/ControlReflector.h"

#include <cstdint>

namespace Ombrel::GUI {

// Shows a bool cell as a check box and toggles it with a click, without any editor window: the
// edit ends at once with EndImmediate, which commits, and committing writes the negation of
// the cell's value through the grid's set-cell-value operation.
//
// Drawing (the cell painter leaves the text to it): a box as wide as the cell is high in the
// cell's text area narrowed by 2 pixels on each side, ticked for true. Options: the bit of
// value 2 (kNoText) shows no text and centres the box; otherwise the cell's text stands
// beside the box, the box at the right end for option 1 and at the left for any other option.
// The text is aligned as the column says; an automatic column aligns it right for a nonzero
// option, left for 0.
class CCheckBoxReflector : public IControlReflector
{
public:
    static constexpr std::int32_t kBoxAtRight = 1;
    static constexpr std::int32_t kNoText = 0x2;

    explicit CCheckBoxReflector(std::int32_t option = 0);
    ~CCheckBoxReflector() override;

    std::int32_t GetOption() const { return m_option; }

    bool Supports(const Common::CFormat* format) override;
    bool CreateEditor(const CEditContext& context, Common::CFormat* format, int trigger) override;
    void OnActivate() override;
    bool AcceptCode(const CEditContext& context, int code) override;
    bool WriteValue(const CEditContext& context, Common::CFormat* format) override;
    bool DestroyEditor(CGrid* grid, CGridItem* row, CColumn* column) override;
    bool WantsHint(CellPaintContext& context, CDC& dc, std::uint32_t flags) override;
    std::uint32_t AdjustPaintFlags(CellPaintContext& context, CDC& dc, std::uint32_t flags) override;
    void DrawHint(CellPaintContext& context, CDC& dc, std::uint32_t flags) override;
    bool StartsOnClick(const CEditContext& context, Common::CFormat* format) override;
    CWnd* GetEditor() override;

private:
    std::int32_t m_option;
};

} // namespace Ombrel::GUI
