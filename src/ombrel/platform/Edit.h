#pragma once

#include "ombrel/platform/ControlMessages.h"
#include "ombrel/platform/Wnd.h"

namespace Ombrel {

// A window of the "Edit" class: one line of text the user types into. The operations send the
// control's messages (EM_*), so a window of that class made by other means (a dialog template)
// answers them just the same. Positions are byte offsets into the UTF-8 text.
class CEdit : public CWnd
{
public:
    // `style` takes WS_* and ES_* flags; WS_CHILD is added.
    bool Create(DWORD style, const CRect& rect, CWnd* parent, UINT id);
    bool CreateEx(DWORD exStyle, DWORD style, const CRect& rect, CWnd* parent, UINT id);

    // Selects from `start` to `end` with the caret at `end`; (0, -1) selects everything,
    // start -1 removes the selection.
    void SetSel(int start, int end);
    void GetSel(int& start, int& end) const;
    // MAKELONG(start, end) of the selection (each cut to 16 bits, as the platform does).
    DWORD GetSel() const;
    void ReplaceSel(const char* text);
    int GetCaretIndex() const;
    void SetCaretIndex(int position);
    // At most `characters` characters can be typed; 0 lifts the limit.
    void SetLimitText(UINT characters);
    UINT GetLimitText() const;
    bool SetReadOnly(bool readOnly = true);
};

} // namespace Ombrel
