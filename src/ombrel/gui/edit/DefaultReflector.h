#pragma once

#include "ombrel/gui/edit/ControlReflector.h"

#include <memory>

namespace Ombrel {
class CEdit;
class CString;
} // namespace Ombrel

namespace Ombrel::GUI {

// Edits any format in a plain edit control over the cell: the cell's text, all of it selected,
// aligned as the column shows it. The text is written back through the grid's set-cell-from-
// text operation, which parses it with the cell's format and calls the field's setter. Text
// the format cannot parse writes nothing: the cell keeps its value (and the grid flashes it).
//
// Left and Right end the edit only at the ends of the text with nothing selected; everywhere
// else they move the caret. The other reflectors that edit in a window derive from this one
// and replace the control (MakeEdit), the opening text (PrepareText) or more.
class CDefaultReflector : public IControlReflector
{
public:
    CDefaultReflector();
    ~CDefaultReflector() override;

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

protected:
    // The edit control for cells of `format`, not yet created; the base makes a plain one.
    virtual std::unique_ptr<CEdit> MakeEdit(const Common::CFormat& format);
    // The text the editor opens with; the base keeps the cell's text.
    virtual CString PrepareText(const CString& cellText, const Common::CFormat& format);

    // Takes over an editor window created for this edit; DestroyEditor destroys and deletes it.
    void AdoptEditor(std::unique_ptr<CWnd> editor);

private:
    std::unique_ptr<CWnd> m_editor; // the editor of the edit in progress, null between edits
};

} // namespace Ombrel::GUI
