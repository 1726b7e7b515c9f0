#pragma once

#include "ombrel/platform/Edit.h"

#include <string_view>

#include <memory>

namespace Ombrel::GUI {

namespace Detail {
class CControlNotificationHook;
}

// An edit control that refuses text its kind of number cannot hold. Every change of the text
// (typed, pasted, dropped, set by code) is checked; a refused change is undone silently: the
// last accepted text comes back with the selection it had before the change, and the parent
// hears nothing of either.
//
// The check, on the text after one optional leading minus sign: a text holding both "." and
// ",", or two ".", is refused (except in kAnyText); kSingleCharacter holds at most one
// character (code point); the other modes accept only their characters (see IsAcceptedText).
class CNumericEdit : public CEdit
{
public:
    static constexpr int kAnyText = 0;
    static constexpr int kInteger = 1;          // digits
    static constexpr int kHexadecimal = 2;      // digits, a-f, A-F, x, X
    static constexpr int kSingleCharacter = 3;  // one character
    static constexpr int kFloatingPoint = 4;    // digits and . , e d E D - +
    static constexpr int kTime = 5;             // digits and :
    static constexpr int kTimeWithFraction = 6; // digits and : . ,

    // A mode outside kAnyText..kTimeWithFraction is taken as kAnyText.
    explicit CNumericEdit(int mode = kInteger);
    ~CNumericEdit() override;

    int GetMode() const { return m_mode; }
    // Whether a control of `mode` accepts `text` (UTF-8).
    static bool IsAcceptedText(int mode, std::string_view text);

    int OnCreate(CREATESTRUCT* cs) override;
    void OnNcDestroy() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // EN_UPDATE / EN_CHANGE of this control on their way to the parent; true keeps one back.
    bool OnOwnNotification(UINT code);
    void RememberSelection();
    void RestoreLastAccepted();

    int m_mode;
    CString m_lastText;      // the last accepted text
    int m_lastSelStart = 0;  // its selection, byte offsets, as it was before the change
    int m_lastSelEnd = 0;
    bool m_restoring = false;     // the last accepted text is being put back
    bool m_refusedChange = false; // the EN_CHANGE of a refused text is still to come
    std::unique_ptr<Detail::CControlNotificationHook> m_parentHook;
};

} // namespace Ombrel::GUI
