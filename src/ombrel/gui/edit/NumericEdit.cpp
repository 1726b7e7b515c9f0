// Flow of one change:
//   input message (key, character, mouse, paste, set text)
//     -> WindowProc remembers the selection, then the toolkit changes the text
//        -> EN_UPDATE to the parent, seen first by m_parentHook -> OnOwnNotification
//           accepted: the text becomes the last accepted one, the parent is told
//           refused:  the last accepted text and selection are put back (their own EN_UPDATE
//                     and EN_CHANGE are kept from the parent), and so is the refused EN_CHANGE

#include "ombrel/gui/edit/NumericEdit.h"

#include "ombrel/gui/edit/detail/ControlNotificationHook.h"

#include <algorithm>

namespace Ombrel::GUI {

namespace {

// Characters a mode accepts beside the digits; null for the modes without a character set.
const char* ExtraCharacters(int mode)
{
    switch (mode) {
    case CNumericEdit::kInteger: return "";
    case CNumericEdit::kHexadecimal: return "abcdefABCDEFxX";
    case CNumericEdit::kFloatingPoint: return ".,edED-+";
    case CNumericEdit::kTime: return ":";
    case CNumericEdit::kTimeWithFraction: return ":.,";
    default: return nullptr;
    }
}

std::size_t CountCodePoints(std::string_view text)
{
    // Continuation bytes (10xxxxxx) do not start a code point.
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

bool IsInputMessage(UINT message)
{
    switch (message) {
    case WM_KEYDOWN:
    case WM_CHAR:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_SETTEXT:
    case EM_REPLACESEL:
        return true;
    default:
        return false;
    }
}

} // namespace

CNumericEdit::CNumericEdit(int mode)
    : m_mode(mode >= kAnyText && mode <= kTimeWithFraction ? mode : kAnyText),
      m_parentHook(std::make_unique<Detail::CControlNotificationHook>())
{
}

CNumericEdit::~CNumericEdit() = default;

bool CNumericEdit::IsAcceptedText(int mode, std::string_view text)
{
    if (mode <= kAnyText || mode > kTimeWithFraction)
        return true;
    if (!text.empty() && text.front() == '-')
        text.remove_prefix(1);
    const bool hasDot = text.find('.') != std::string_view::npos;
    const bool hasComma = text.find(',') != std::string_view::npos;
    if ((hasDot && hasComma) || std::count(text.begin(), text.end(), '.') > 1)
        return false;
    if (mode == kSingleCharacter)
        return CountCodePoints(text) <= 1;
    const std::string_view extra = ExtraCharacters(mode);
    return std::all_of(text.begin(), text.end(), [extra](char c) {
        return (c >= '0' && c <= '9') || extra.find(c) != std::string_view::npos;
    });
}

int CNumericEdit::OnCreate(CREATESTRUCT* cs)
{
    if (CEdit::OnCreate(cs) != 0)
        return -1;
    m_lastText = cs->lpszName != nullptr ? cs->lpszName : "";
    m_lastSelStart = m_lastSelEnd = 0;
    // Without a parent there is nobody to tell of changes, and nothing to check them by.
    m_parentHook->Watch(this, [this](UINT code) { return OnOwnNotification(code); });
    return 0;
}

void CNumericEdit::OnNcDestroy()
{
    m_parentHook->Stop();
    CEdit::OnNcDestroy();
}

LRESULT CNumericEdit::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!m_restoring && IsInputMessage(message))
        RememberSelection();
    return CEdit::WindowProc(message, wParam, lParam);
}

void CNumericEdit::RememberSelection()
{
    GetSel(m_lastSelStart, m_lastSelEnd);
}

bool CNumericEdit::OnOwnNotification(UINT code)
{
    if (m_restoring)
        return true;
    if (code == EN_CHANGE && m_refusedChange) {
        m_refusedChange = false;
        return true;
    }
    if (code != EN_UPDATE)
        return false;
    CString text = GetWindowText();
    if (IsAcceptedText(m_mode, std::string_view(text.GetString(), text.GetLength()))) {
        m_lastText = text;
        return false;
    }
    RestoreLastAccepted();
    m_refusedChange = true;
    return true;
}

void CNumericEdit::RestoreLastAccepted()
{
    m_restoring = true;
    SetWindowText(m_lastText.GetString());
    SetSel(m_lastSelStart, m_lastSelEnd);
    m_restoring = false;
}

} // namespace Ombrel::GUI
