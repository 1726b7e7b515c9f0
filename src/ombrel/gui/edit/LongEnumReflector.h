#pragma once

#include "ombrel/gui/edit/DefaultReflector.h"

namespace Ombrel::GUI {

class CEmbeddedCombo;

// Edits a long shown by an enumeration format in a flat drop-down list (CEmbeddedCombo) of
// the format's entries, in the format's order, opened as the edit starts. The entry of the
// current value is selected; a value without an entry selects nothing, and then nothing is
// written. Up and Down move within the list.
//
// Hint: a drop-down button at the cell's right edge, as the date reflectors show theirs.
class CLongEnumReflector : public CDefaultReflector
{
public:
    bool Supports(const Common::CFormat* format) override;
    bool CreateEditor(const CEditContext& context, Common::CFormat* format, int trigger) override;
    void OnActivate() override;
    bool AcceptCode(const CEditContext& context, int code) override;
    bool WriteValue(const CEditContext& context, Common::CFormat* format) override;
    bool WantsHint(CellPaintContext& context, CDC& dc, std::uint32_t flags) override;
    // Where the button shows, the cell's text keeps clear of it.
    std::uint32_t AdjustPaintFlags(CellPaintContext& context, CDC& dc, std::uint32_t flags) override;
    void DrawHint(CellPaintContext& context, CDC& dc, std::uint32_t flags) override;
    bool StartsOnClick(const CEditContext& context, Common::CFormat* format) override;

private:
    CEmbeddedCombo* Combo();
    static void FillList(CEmbeddedCombo& combo, const Common::CFormat& format, std::int32_t current);
};

} // namespace Ombrel::GUI
