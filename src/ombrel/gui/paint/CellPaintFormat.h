#pragma once

#include "ombrel/base/Color.h"
#include "ombrel/base/Geometry.h"
#include "ombrel/base/String.h"
#include "ombrel/gui/paint/Highlight.h"
#include "ombrel/gui/paint/PaintContext.h"
#include "ombrel/platform/GdiTypes.h"

#include <cstdint>
#include <string>

namespace Ombrel {
class CArchive;
class CDC;
} // namespace Ombrel

namespace Ombrel::GUI {

// Paints one cell. Paint runs the steps in a fixed order, each under its bit of `flags`
// (PaintFlags.h): ScheduleHighlight, DrawBackground, DrawStep0x80 (tracking rectangle),
// DrawText, DrawImage, DrawFocusFrame, DrawSelectionFrame, DrawTreeMarks, DrawVerticalLine,
// DrawHorizontalLine. Each step checks its own bit, so a derived format may call steps on
// their own. Stateless and shared by every cell. The order of the operations is the order
// of the slots.
//
// Not here yet: the drag-and-drop marks (bits 0x800 and 0x1000), which need the drop
// position of a drag in progress, and the in-place editing hint with its per-cell option
// change, which need the editing policy.
class ICellPaintFormat
{
public:
    virtual ~ICellPaintFormat() = default;

    virtual void Paint(CellPaintContext& context, CDC& dc, std::uint32_t flags) = 0;
    // The background after the highlight, selection, sort-column and focus overlays.
    virtual COLORREF GetBackgroundColor(const CellPaintContext& context,
                                        std::uint32_t flags) const = 0;
    // The text colour after the highlight overlay.
    virtual COLORREF GetTextColor(const CellPaintContext& context, std::uint32_t flags) const = 0;
    // Width in pixels the cell's content needs (text, margins, tree indent, image).
    virtual int GetPreferredWidth(const CellPaintContext& context, CDC& dc,
                                  std::uint32_t flags) const = 0;
    // Where the image goes; empty (at the content's left edge) when no image is drawn.
    virtual CRect GetImageRect(const CellPaintContext& context, std::uint32_t flags) const = 0;
    virtual CRect GetTextRect(const CellPaintContext& context, std::uint32_t flags) const = 0;
    // A new default instance of the same class, owned by the caller.
    virtual ICellPaintFormat* CreateNew() const = 0;
    virtual bool IsSerializable() const = 0;
    // The registered name ("GUI::CCellPaintFormat" for the standard one).
    virtual std::string GetClassName() const = 0;
    virtual void Serialize(CArchive& archive) = 0;
    virtual void DrawBackground(CellPaintContext& context, CDC& dc, std::uint32_t flags) = 0;
    // The grid's tracking rectangle (bit 0x80).
    virtual void DrawStep0x80(CellPaintContext& context, CDC& dc, std::uint32_t flags) = 0;
    virtual void DrawText(CellPaintContext& context, CDC& dc, std::uint32_t flags) = 0;
    virtual void DrawImage(CellPaintContext& context, CDC& dc, std::uint32_t flags) = 0;
    virtual void DrawFocusFrame(CellPaintContext& context, CDC& dc, std::uint32_t flags) = 0;
    virtual void DrawSelectionFrame(CellPaintContext& context, CDC& dc, std::uint32_t flags) = 0;
    virtual void DrawTreeMarks(CellPaintContext& context, CDC& dc, std::uint32_t flags) = 0;
    virtual void DrawVerticalLine(CellPaintContext& context, CDC& dc, std::uint32_t flags) = 0;
    virtual void DrawHorizontalLine(CellPaintContext& context, CDC& dc, std::uint32_t flags) = 0;
    // Asks the grid to repaint the cell when its highlight next changes.
    virtual void ScheduleHighlight(const CellPaintContext& context, std::uint32_t flags) = 0;
};

// The standard cell paint format. Holds no data; its stored form is empty.
//
// Colours: the background starts from the context's and takes, in this order and each at its
// alpha, the highlight of a recently changed cell, the selection colour (selected row), the
// sort-column colour (the column is a sort level) and the focus colour (focus row). The text
// colour takes only the highlight.
class CCellPaintFormat : public ICellPaintFormat
{
public:
    void Paint(CellPaintContext& context, CDC& dc, std::uint32_t flags) override;
    COLORREF GetBackgroundColor(const CellPaintContext& context,
                                std::uint32_t flags) const override;
    COLORREF GetTextColor(const CellPaintContext& context, std::uint32_t flags) const override;
    int GetPreferredWidth(const CellPaintContext& context, CDC& dc,
                          std::uint32_t flags) const override;
    CRect GetImageRect(const CellPaintContext& context, std::uint32_t flags) const override;
    CRect GetTextRect(const CellPaintContext& context, std::uint32_t flags) const override;
    ICellPaintFormat* CreateNew() const override;
    bool IsSerializable() const override;
    std::string GetClassName() const override;
    void Serialize(CArchive& archive) override;
    // Fills the cell with its background colour; over a background picture the cell is drawn
    // in layers instead, so that the picture shows through (see BackgroundImage).
    void DrawBackground(CellPaintContext& context, CDC& dc, std::uint32_t flags) override;
    void DrawStep0x80(CellPaintContext& context, CDC& dc, std::uint32_t flags) override;
    // The row's value for the column's field through the context's format: one line,
    // vertically centred, ending in an ellipsis when it does not fit.
    void DrawText(CellPaintContext& context, CDC& dc, std::uint32_t flags) override;
    void DrawImage(CellPaintContext& context, CDC& dc, std::uint32_t flags) override;
    void DrawFocusFrame(CellPaintContext& context, CDC& dc, std::uint32_t flags) override;
    void DrawSelectionFrame(CellPaintContext& context, CDC& dc, std::uint32_t flags) override;
    void DrawTreeMarks(CellPaintContext& context, CDC& dc, std::uint32_t flags) override;
    void DrawVerticalLine(CellPaintContext& context, CDC& dc, std::uint32_t flags) override;
    void DrawHorizontalLine(CellPaintContext& context, CDC& dc, std::uint32_t flags) override;
    // Last: the grid's in-place editing draws its hint (hover frame, buttons, check box).
    virtual void DrawEditHint(CellPaintContext& context, CDC& dc, std::uint32_t flags);
    void ScheduleHighlight(const CellPaintContext& context, std::uint32_t flags) override;

    // A cell's text: the row's value for the column's field through the context's format;
    // empty without a row, a column or a data object, and when the object's getter throws.
    static CString FormatCellText(const CellPaintContext& context);

protected:
    // The text the cell shows; FormatCellText unless a derived format shows something else.
    virtual CString GetCellText(const CellPaintContext& context) const;
    // DT_LEFT, DT_RIGHT or DT_CENTER from the column's alignment; automatic alignment gives
    // right for the numeric value kinds and left otherwise.
    virtual UINT GetTextAlignment(const CellPaintContext& context) const;
    // Whether the cell is in the grid's tree column with PaintTreeIndent set.
    static bool IsTreeCell(const CellPaintContext& context, std::uint32_t flags);
    // Whether the row shows an expand button: every row when the grid says so, otherwise a
    // row with children that is either collapsed or followed by one of its children.
    static bool ShowsButton(const CellPaintContext& context);
    // The current highlight of the cell (inactive without bit 0x400, a row or a column).
    static CellHighlight CurrentHighlight(const CellPaintContext& context, std::uint32_t flags);
};

} // namespace Ombrel::GUI
