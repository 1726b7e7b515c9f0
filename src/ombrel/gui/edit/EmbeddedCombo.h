#pragma once

#include "ombrel/platform/ComboBox.h"

#include <memory>

namespace Ombrel::GUI {

namespace Detail {
class CControlNotificationHook;
}

// A flat drop-down list for a grid cell. It paints itself instead of the toolkit: the window
// colour over the whole client area, the selected item's text (2 pixels from the left, one
// line, vertically centred, no prefix processing, end ellipsis) in the window-text colour, on
// the highlight colour while it has the focus, and a drop-down button in a square of the
// control's height at the right edge, pushed while the list is open. The background is never
// erased, so the cell does not flicker under it.
class CEmbeddedCombo : public CComboBox
{
public:
    CEmbeddedCombo();
    ~CEmbeddedCombo() override;

    // The selected item's index, -1 for none; follows the user's picks and CB_SETCURSEL.
    int GetSelectedIndex() const { return m_selected; }

    int OnCreate(CREATESTRUCT* cs) override;
    void OnNcDestroy() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The square of the drop-down button, client coordinates.
    CRect GetButtonRect() const;

private:
    void PaintFlat();

    int m_selected = -1;
    std::unique_ptr<Detail::CControlNotificationHook> m_parentHook; // sees CBN_SELCHANGE of the user's picks
};

} // namespace Ombrel::GUI
