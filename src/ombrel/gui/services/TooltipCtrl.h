#pragma once

#include "ombrel/base/Geometry.h"
#include "ombrel/base/String.h"
#include "ombrel/gui/AutoDelete.h"
#include "ombrel/platform/Wnd.h"

#include <memory>

namespace Ombrel::GUI {

class CGrid;
class ITooltip;
struct CellPaintContext;
struct TooltipSettings;

// A pop-up that shows a tooltip text for a grid. The grid attaches a control to its window
// (Create) when the window exists or the control is set, and detaches it (Destroy) when the
// window goes or the control is replaced. Window thread only. The order of the operations is
// the order of the slots.
class ITooltipCtrl
{
public:
    virtual ~ITooltipCtrl() = default;
    // Makes the pop-up window for `gridWindow`; false when already made or without a window.
    virtual bool Create(CWnd* gridWindow) = 0;
    virtual void Destroy() = 0;
    // Shows the tooltip for `cell`; false when it shows nothing.
    virtual bool Show(CGrid& grid, const CellPaintContext& cell) = 0;
    virtual void Hide() = 0;
    // The process-wide default provider (CTooltip::GetDefault()).
    virtual ITooltip* GetDefaultTooltip() = 0;
};

// The tooltip at the cursor: a frameless pop-up of its own window class, never activated,
// transparent for the mouse, that shows the grid's provider text next to the pointer where
// the grid's cursor tooltip settings place it (placement table and screen rule in
// TooltipPlacement.h), framed and filled in the record's colours.
//
// Font: the control keeps its own copy of every font it is given (WM_SETFONT), recreated from
// the font's description; Create gives it the grid's font, or the default font. The copy
// stays valid while the window uses it and is replaced only after the window has switched.
class CTooltipCtrl : public CWnd, public ITooltipCtrl, public IAutoDelete
{
public:
    // Registered once per process; redrawn whole on resize.
    static constexpr const char* kWindowClass = "Ombrel.Tooltip";

    explicit CTooltipCtrl(bool autoDelete = true);
    ~CTooltipCtrl() override;
    CTooltipCtrl(const CTooltipCtrl&) = delete;
    CTooltipCtrl& operator=(const CTooltipCtrl&) = delete;

    bool IsAutoDelete() const override;
    bool Create(CWnd* gridWindow) override;
    void Destroy() override;
    // Takes the text from the grid's provider, measures it and shows it at the pointer. An
    // empty text shows a box of the margins alone; the grid's timing decides whether to ask.
    bool Show(CGrid& grid, const CellPaintContext& cell) override;
    void Hide() override;
    ITooltip* GetDefaultTooltip() override;

    // The text shown last.
    virtual CString GetText() const;
    // The size of the window for the current text: the text's bounding rectangle in the
    // control's font (else the default font), grown by the text margins on every side.
    virtual CSize MeasureTooltip(CGrid& grid, const CellPaintContext& cell);

    // The grid window the control was created for; null before Create and after Destroy.
    CWnd* GetGridWindow() const;

protected:
    // The settings record this control follows: the grid's cursor tooltip settings.
    virtual const TooltipSettings& GetSettings(CGrid& grid) const;
    // Asks the grid's provider (else the default one) for the text and keeps it as the
    // current text; also keeps a copy of `settings` for painting.
    CString FetchText(CGrid& grid, const CellPaintContext& cell, const TooltipSettings& settings);
    // The text's bounding rectangle in `font` (null: the default font) grown by the margins.
    CSize MeasureText(const CString& text, CFont* font, const TooltipSettings& settings) const;
    // Where and how the text is drawn in a client area of `client`: from the margins at the
    // top-left corner, without clipping.
    virtual CRect GetTextRect(const CRect& client) const;
    virtual UINT GetTextFormat() const;
    // Moves the window to `screenRect` and shows it without activating it.
    void ShowAt(const CRect& screenRect);
    // The settings copied by the last FetchText.
    const TooltipSettings& GetShownSettings() const;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnPaint() override;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::GUI
