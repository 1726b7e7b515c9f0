#pragma once

#include "ombrel/gui/edit/DefaultReflector.h"

#include <cstdint>

namespace Ombrel::GUI {

class CEmbeddedDateTimeCtrl;

// Edits a date-time cell in a CEmbeddedDateTimeCtrl showing the format's parts. The click that
// started the edit reaches the control, so a click on the hint's drop-down button opens the
// calendar at once and one on its spin buttons steps the value. Up and Down step the active
// part; Left and Right move between parts and end the edit only beyond the first or last.
//
// Hint: the drop-down button (date parts) and the spin pair (time parts) at the cell's right
// edge, under the mouse, or in every editable cell when the edit settings' third hint switch
// is on; with a hint switch on, a single click on them starts the edit.
class CDateReflector : public CDefaultReflector
{
public:
    bool CreateEditor(const CEditContext& context, Common::CFormat* format, int trigger) override;
    bool AcceptCode(const CEditContext& context, int code) override;
    bool WriteValue(const CEditContext& context, Common::CFormat* format) override;
    bool WantsHint(CellPaintContext& context, CDC& dc, std::uint32_t flags) override;
    // Where the buttons show, the cell's text keeps clear of them.
    std::uint32_t AdjustPaintFlags(CellPaintContext& context, CDC& dc, std::uint32_t flags) override;
    void DrawHint(CellPaintContext& context, CDC& dc, std::uint32_t flags) override;
    bool StartsOnClick(const CEditContext& context, Common::CFormat* format) override;

protected:
    // The editor's part mask for `format`; -1 when the format is not of the reflector's class.
    virtual std::int32_t PartMask(const Common::CFormat* format) const = 0;
    // Moves the field's value into the editor, and back.
    virtual bool LoadValue(const CEditContext& context, CEmbeddedDateTimeCtrl& editor) = 0;
    virtual bool StoreValue(const CEditContext& context, CEmbeddedDateTimeCtrl& editor) = 0;

private:
    CEmbeddedDateTimeCtrl* DateEditor();
    // The part mask of the format of a painted or edited cell; -1 when it is no date format.
    std::int32_t CellPartMask(const CEditContext& context, Common::CFormat* format) const;
};

// A long holding seconds since 1970 (UTC), shown by a format that IsDateTime.
class CLongDateTimeReflector : public CDateReflector
{
public:
    bool Supports(const Common::CFormat* format) override;

protected:
    std::int32_t PartMask(const Common::CFormat* format) const override;
    bool LoadValue(const CEditContext& context, CEmbeddedDateTimeCtrl& editor) override;
    bool StoreValue(const CEditContext& context, CEmbeddedDateTimeCtrl& editor) override;
};

// A 64-bit file time (100 ns since 1601, UTC), shown by a format that IsDateTime.
class CInt64DateReflector : public CDateReflector
{
public:
    bool Supports(const Common::CFormat* format) override;

protected:
    std::int32_t PartMask(const Common::CFormat* format) const override;
    bool LoadValue(const CEditContext& context, CEmbeddedDateTimeCtrl& editor) override;
    bool StoreValue(const CEditContext& context, CEmbeddedDateTimeCtrl& editor) override;
};

} // namespace Ombrel::GUI
