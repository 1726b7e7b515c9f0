#pragma once

#include "ombrel/gui/grid/GridService.h"
#include "ombrel/gui/grid/GridSettingsRecords.h"

#include <cstdint>
#include <memory>

namespace Ombrel::GUI {

class CGrid;
class CGridImpl;
class ITooltip;
class ITooltipCtrl;

// One grid's tooltips: its provider, its two controls (at the cursor and in place), their two
// settings records and switches, and the timing that decides when a tooltip shows and hides.
// The grid creates one per implementation, registers it as a service and forwards the
// tooltip operations to it. Window thread only (the grid carries calls from other threads
// over), or the owning thread before the window exists.
//
// Flow:
//   mouse move  -> the cell under the pointer; a tooltip shown for another cell hides (and,
//                  with instant reshow, the new cell's shows at once); otherwise the platform
//                  is asked for a hover after the initial delay and for the leave
//   hover       -> the tooltip of the tooltip kind for the cell under the pointer shows; with
//                  mode 1 and a display time above 0, timer TooltipDisplay hides it again
//   leave       -> hides, unless the pointer went onto a child window of the grid
//   key, button press or double click, wheel
//               -> hides before the grid handles the message; no tooltip for the same cell
//                  until the pointer has been over another cell
//   scrolling, HideTransients, a change of the shown row, window destruction -> hides
class CGridTooltips final : public IGridService
{
public:
    CGridTooltips(CGrid& grid, CGridImpl& impl);
    ~CGridTooltips();
    CGridTooltips(const CGridTooltips&) = delete;
    CGridTooltips& operator=(const CGridTooltips&) = delete;

    // ---- Operations ------------------------------------------------------------------------
    // A TooltipKind; other values are refused.
    bool SetKind(std::int32_t kind);
    std::int32_t GetKind() const;
    // Tooltips on (default) or off; switching off hides a shown tooltip.
    void Enable(bool enable);
    bool IsEnabled() const;
    // Off by default: while a tooltip is shown, moving to another cell shows that cell's
    // tooltip at once instead of after the initial delay.
    void EnableInstantReshow(bool enable);
    bool IsInstantReshowEnabled() const;
    // The records by address (callers may change members in place); Set copies a record whole
    // and refuses one that IsValidTooltipSettings rejects.
    TooltipSettings* GetSettings();
    bool SetSettings(const TooltipSettings& settings);
    TooltipSettings* GetInPlaceSettings();
    bool SetInPlaceSettings(const TooltipSettings& settings);
    // Restores what the grid's stored state holds, validated by its reader.
    void Restore(std::int32_t kind, const TooltipSettings& settings, const TooltipSettings& inPlace);

    // The provider: the grid's own (null: none) replaces the previous one, which is deleted
    // when it is marked for automatic deletion. Get answers the default when none is set.
    void SetProvider(ITooltip* provider);
    ITooltip* GetProvider() const;
    // The controls: a control set replaces the current one, which is detached (its window
    // destroyed) and deleted when it is marked for automatic deletion; the new one is attached
    // when the window exists. Null returns to the control the grid made itself. Get never
    // answers null.
    void SetControl(ITooltipCtrl* control);
    ITooltipCtrl* GetControl() const;
    void SetInPlaceControl(ITooltipCtrl* control);
    ITooltipCtrl* GetInPlaceControl() const;

    // The control showing a tooltip now, or null.
    ITooltipCtrl* GetShownControl() const;

    // ---- IGridService ----------------------------------------------------------------------
    bool PreFilterMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnWindowCreated() override;
    void OnWindowDestroying() override;
    void OnViewScrolled() override;
    void HideTransients() override;
    void OnCellChanged(CGridItem* row, std::int32_t fieldId) override;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::GUI
