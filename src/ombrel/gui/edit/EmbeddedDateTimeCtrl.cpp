// The segmented date-time editor.
//
// Layout, from the left: the segments' text (2 pixels in), the spin buttons (a column as wide
// as two thirds of the height: up in the top half, down in the bottom half), and, when a date
// part is shown, the drop-down button in a square of the control's height at the right edge.
//
// Calendar pop-up:
//   drop-down button -> CMonthCalDlg::CreatePopup under the control; Impl hooks the pop-up
//   pop-up's MCN_SELECT or IDOK -> the day is taken, the parent gets CBN_SELENDOK
//   that, IDCANCEL or closing  -> kCalendarClosed is posted; the pop-up takes no more input
//   kCalendarClosed            -> Impl unhooks and destroys the pop-up, the focus comes back,
//                                 the control repaints
// The pop-up is destroyed from the posted message, never from inside its own messages.

#include "ombrel/gui/edit/EmbeddedDateTimeCtrl.h"

#include "ombrel/common/DateSettings.h"
#include "ombrel/gui/edit/HookWnd.h"
#include "ombrel/gui/edit/MonthCalDlg.h"
#include "ombrel/gui/edit/detail/DateTimeSegments.h"
#include "ombrel/platform/ControlMessages.h"
#include "ombrel/platform/GdiTypes.h"
#include "ombrel/platform/Input.h"
#include "ombrel/platform/PaintDC.h"
#include "ombrel/platform/SystemColors.h"
#include "ombrel/platform/WindowMessaging.h"

#include <algorithm>

namespace Ombrel::GUI {

namespace {

constexpr int kTextIndent = 2;

enum class SpinButton
{
    None,
    Up,
    Down,
};

void RegisterDateTimeClass()
{
    static const bool registered = [] {
        // A second registration fails and keeps the first; either way the class exists.
        RegisterWindowClass(CEmbeddedDateTimeCtrl::kWindowClass, CS_DBLCLKS);
        return true;
    }();
    (void)registered;
}

bool IsHeld(int virtualKey)
{
    return GetKeyState(virtualKey) < 0;
}

// 0..9 for a digit key of the main row or the keypad, -1 otherwise.
int DigitOfKey(UINT virtualKey)
{
    if (virtualKey >= '0' && virtualKey <= '9')
        return static_cast<int>(virtualKey - '0');
    if (virtualKey >= VK_NUMPAD0 && virtualKey <= VK_NUMPAD0 + 9)
        return static_cast<int>(virtualKey - VK_NUMPAD0);
    return -1;
}

} // namespace

class CEmbeddedDateTimeCtrl::Impl final : public CHookWnd
{
public:
    Impl(CEmbeddedDateTimeCtrl& control, std::uint32_t partMask)
        : owner(control), segments(partMask, Common::CDateSettings::GetInstance().GetSnapshot())
    {
    }

    // The hook on the calendar pop-up.
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    void Paint(CDC& dc, bool focused);
    void PaintSegments(CDC& dc, bool focused);
    int SegmentAt(CPoint point) const;
    void Changed() { owner.Invalidate(false); }
    void AcceptCalendarDay();
    void CloseCalendar();
    void DestroyCalendar();

    CEmbeddedDateTimeCtrl& owner;
    Detail::CDateTimeSegments segments;
    SpinButton pressed = SpinButton::None;
    std::unique_ptr<CMonthCalDlg> calendar;
    bool calendarClosing = false;   // closed by the user, waiting for kCalendarClosed
    std::vector<CRect> segmentRects; // where each value was painted last, for clicks
};

// ---- Creation and value --------------------------------------------------------------------

CEmbeddedDateTimeCtrl::CEmbeddedDateTimeCtrl(std::uint32_t partMask)
    : m_impl(std::make_unique<Impl>(*this, partMask))
{
    RegisterDateTimeClass();
    GetEventMessage();
}

CEmbeddedDateTimeCtrl::~CEmbeddedDateTimeCtrl()
{
    DestroyWindow();
}

UINT CEmbeddedDateTimeCtrl::GetEventMessage()
{
    static const UINT message = RegisterWindowMessage("Ombrel.EmbeddedDateTimeEvent");
    return message;
}

bool CEmbeddedDateTimeCtrl::Create(DWORD style, const CRect& rect, CWnd* parent, UINT id)
{
    return CreateEx(0, kWindowClass, "", style | WS_CHILD, rect, parent, id);
}

std::uint32_t CEmbeddedDateTimeCtrl::GetPartMask() const
{
    return m_impl->segments.GetPartMask();
}

void CEmbeddedDateTimeCtrl::SetTime(const SYSTEMTIME& time)
{
    m_impl->segments.SetTime(time);
    m_impl->Changed();
}

SYSTEMTIME CEmbeddedDateTimeCtrl::GetTime()
{
    SYSTEMTIME time = m_impl->segments.Normalize();
    m_impl->Changed();
    return time;
}

bool CEmbeddedDateTimeCtrl::SetFileTime(std::uint64_t fileTime)
{
    SYSTEMTIME time;
    if (!FileTimeToSystemTime(fileTime, time))
        return false;
    SetTime(time);
    return true;
}

std::uint64_t CEmbeddedDateTimeCtrl::GetFileTime()
{
    std::uint64_t fileTime = 0;
    // Every field is in range after GetTime, so the conversion cannot fail.
    SystemTimeToFileTime(GetTime(), fileTime);
    return fileTime;
}

bool CEmbeddedDateTimeCtrl::SetSeconds(std::int64_t seconds)
{
    SYSTEMTIME time;
    if (!SecondsToLocalSystemTime(seconds, time))
        return false;
    SetTime(time);
    return true;
}

bool CEmbeddedDateTimeCtrl::GetSeconds(std::int64_t& seconds)
{
    return LocalSystemTimeToSeconds(GetTime(), seconds);
}

CString CEmbeddedDateTimeCtrl::GetText() const
{
    return CString(m_impl->segments.GetText().c_str());
}

CString CEmbeddedDateTimeCtrl::GetSegmentText(int index) const
{
    if (index < 0 || index >= GetSegmentCount())
        return CString();
    return CString(m_impl->segments.GetValueText(index).c_str());
}

int CEmbeddedDateTimeCtrl::GetSegmentCount() const
{
    return m_impl->segments.GetCount();
}

int CEmbeddedDateTimeCtrl::GetActiveSegment() const
{
    return m_impl->segments.GetActive();
}

void CEmbeddedDateTimeCtrl::SetActiveSegment(int index)
{
    m_impl->segments.SetActive(index);
    m_impl->Changed();
}

// ---- Geometry ------------------------------------------------------------------------------

CRect CEmbeddedDateTimeCtrl::GetDropDownRect() const
{
    if (GetSafeHwnd() == nullptr || !m_impl->segments.ShowsDate())
        return CRect();
    CRect client = GetClientRect();
    return CRect(client.right - client.Height(), client.top, client.right, client.bottom);
}

CRect CEmbeddedDateTimeCtrl::GetSpinUpRect() const
{
    if (GetSafeHwnd() == nullptr)
        return CRect();
    CRect client = GetClientRect();
    CRect dropDown = GetDropDownRect();
    const int right = dropDown.IsRectEmpty() ? client.right : dropDown.left;
    const int width = std::max(8, client.Height() * 2 / 3);
    return CRect(right - width, client.top, right, client.top + client.Height() / 2);
}

CRect CEmbeddedDateTimeCtrl::GetSpinDownRect() const
{
    CRect up = GetSpinUpRect();
    if (up.IsRectEmpty())
        return up;
    return CRect(up.left, up.bottom, up.right, GetClientRect().bottom);
}

CWnd* CEmbeddedDateTimeCtrl::GetCalendar() const
{
    return m_impl->calendar.get();
}

// ---- Painting ------------------------------------------------------------------------------

void CEmbeddedDateTimeCtrl::OnPaint()
{
    CPaintDC dc(this);
    m_impl->Paint(dc, CWnd::GetFocus() == this);
}

bool CEmbeddedDateTimeCtrl::OnEraseBkgnd(CDC* dc)
{
    (void)dc;
    return true; // the paint covers the whole client area
}

void CEmbeddedDateTimeCtrl::Impl::Paint(CDC& dc, bool focused)
{
    dc.FillSolidRect(owner.GetClientRect(), GetSysColor(COLOR_WINDOW));
    CFont* oldFont = owner.GetFont() != nullptr ? dc.SelectObject(owner.GetFont()) : nullptr;
    PaintSegments(dc, focused);
    if (oldFont != nullptr)
        dc.SelectObject(oldFont);
    const UINT upState = pressed == SpinButton::Up ? DFCS_PUSHED : 0;
    const UINT downState = pressed == SpinButton::Down ? DFCS_PUSHED : 0;
    dc.DrawFrameControl(owner.GetSpinUpRect(), DFC_SCROLL, DFCS_SCROLLUP | upState);
    dc.DrawFrameControl(owner.GetSpinDownRect(), DFC_SCROLL, DFCS_SCROLLDOWN | downState);
    CRect dropDown = owner.GetDropDownRect();
    if (!dropDown.IsRectEmpty()) {
        const UINT state = calendar != nullptr && !calendarClosing ? DFCS_PUSHED : 0;
        dc.DrawFrameControl(dropDown, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | state);
    }
}

void CEmbeddedDateTimeCtrl::Impl::PaintSegments(CDC& dc, bool focused)
{
    const CRect client = owner.GetClientRect();
    const int right = owner.GetSpinUpRect().left;
    int x = client.left + kTextIndent;
    segmentRects.assign(static_cast<std::size_t>(segments.GetCount()), CRect());
    dc.SetBkMode(OPAQUE);
    for (int index = 0; index < segments.GetCount(); ++index) {
        const CString separator(segments.At(index).separator.c_str());
        const CString value(segments.GetValueText(index).c_str());
        const bool active = focused && index == segments.GetActive();
        dc.SetTextColor(GetSysColor(COLOR_WINDOWTEXT));
        dc.SetBkColor(GetSysColor(COLOR_WINDOW));
        CRect separatorRect(x, client.top, right, client.bottom);
        dc.DrawText(separator, separatorRect, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        x += dc.GetTextExtent(separator).cx;
        const int width = dc.GetTextExtent(value).cx;
        CRect valueRect(x, client.top, std::min(x + width, right), client.bottom);
        if (active) {
            dc.SetTextColor(GetSysColor(COLOR_HIGHLIGHTTEXT));
            dc.SetBkColor(GetSysColor(COLOR_HIGHLIGHT));
        }
        dc.DrawText(value, valueRect, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        segmentRects[static_cast<std::size_t>(index)] = valueRect;
        x += width;
    }
}

int CEmbeddedDateTimeCtrl::Impl::SegmentAt(CPoint point) const
{
    // A click on a separator belongs to the segment after it.
    for (std::size_t index = 0; index < segmentRects.size(); ++index) {
        if (point.x < segmentRects[index].right)
            return static_cast<int>(index);
    }
    return segmentRects.empty() ? -1 : static_cast<int>(segmentRects.size()) - 1;
}

// ---- Keys and events -----------------------------------------------------------------------

LRESULT CEmbeddedDateTimeCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == GetEventMessage()) {
        OnEvent(wParam);
        return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

void CEmbeddedDateTimeCtrl::OnKeyDown(UINT virtualKey, UINT repeatCount, UINT flags)
{
    Detail::CDateTimeSegments& segments = m_impl->segments;
    const bool modified = IsHeld(VK_SHIFT) || IsHeld(VK_CONTROL);
    // Shift with a main-row digit types a symbol, not the digit.
    if (int digit = DigitOfKey(virtualKey); digit >= 0 && !modified) {
        segments.TypeDigit(digit);
        m_impl->Changed();
        return;
    }
    switch (virtualKey) {
    case VK_HOME: segments.ActiveToMinimum(); break;
    case VK_END: segments.ActiveToMaximum(); break;
    case VK_UP:
    case VK_DOWN:
        if (modified)
            return CWnd::OnKeyDown(virtualKey, repeatCount, flags);
        segments.StepActive(virtualKey == VK_UP ? 1 : -1);
        break;
    case VK_LEFT:
    case VK_RIGHT:
        if (modified)
            return CWnd::OnKeyDown(virtualKey, repeatCount, flags);
        PostMessage(GetEventMessage(), virtualKey == VK_LEFT ? kPreviousSegment : kNextSegment);
        return;
    default:
        return CWnd::OnKeyDown(virtualKey, repeatCount, flags);
    }
    m_impl->Changed();
}

void CEmbeddedDateTimeCtrl::OnEvent(WPARAM code)
{
    switch (code) {
    case kPreviousSegment:
        SetActiveSegment(GetActiveSegment() - 1);
        break;
    case kNextSegment:
        SetActiveSegment(GetActiveSegment() + 1);
        break;
    case kCalendarClosed:
        m_impl->DestroyCalendar();
        SetFocus();
        Invalidate(false);
        PostMessage(GetEventMessage(), kFocusBack);
        break;
    case kFocusBack:
        if (m_impl->calendar == nullptr && GetFocus() != this)
            SetFocus();
        break;
    default:
        break;
    }
}

void CEmbeddedDateTimeCtrl::OnSetFocus(CWnd* oldWnd)
{
    CWnd::OnSetFocus(oldWnd);
    Invalidate(false);
}

void CEmbeddedDateTimeCtrl::OnKillFocus(CWnd* newWnd)
{
    CWnd::OnKillFocus(newWnd);
    Invalidate(false);
}

// ---- Mouse: segments, spin buttons, drop-down button ---------------------------------------

void CEmbeddedDateTimeCtrl::OnLButtonDown(UINT flags, CPoint point)
{
    (void)flags;
    if (m_impl->calendar == nullptr)
        SetFocus();
    if (GetDropDownRect().PtInRect(point)) {
        ToggleCalendar();
    } else if (GetSpinUpRect().PtInRect(point)) {
        PressSpin(1);
    } else if (GetSpinDownRect().PtInRect(point)) {
        PressSpin(-1);
    } else if (int segment = m_impl->SegmentAt(point); segment >= 0) {
        SetActiveSegment(segment);
    }
}

void CEmbeddedDateTimeCtrl::OnLButtonUp(UINT flags, CPoint point)
{
    (void)flags, (void)point;
    ReleaseSpin();
}

void CEmbeddedDateTimeCtrl::PressSpin(int direction)
{
    m_impl->pressed = direction > 0 ? SpinButton::Up : SpinButton::Down;
    m_impl->segments.StepActive(direction);
    SetCapture();
    SetTimer(kRepeatTimer, kRepeatDelayMs);
    m_impl->Changed();
}

void CEmbeddedDateTimeCtrl::ReleaseSpin()
{
    if (m_impl->pressed == SpinButton::None)
        return;
    m_impl->pressed = SpinButton::None;
    KillTimer(kRepeatTimer);
    if (GetCapture() == this)
        ReleaseCapture();
    m_impl->Changed();
}

void CEmbeddedDateTimeCtrl::OnTimer(UINT_PTR id)
{
    if (id != kRepeatTimer)
        return CWnd::OnTimer(id);
    if (m_impl->pressed == SpinButton::None) {
        KillTimer(kRepeatTimer);
        return;
    }
    m_impl->segments.StepActive(m_impl->pressed == SpinButton::Up ? 1 : -1);
    m_impl->Changed();
}

void CEmbeddedDateTimeCtrl::OnCaptureChanged(CWnd* newCapture)
{
    // Losing the capture (another window took it) ends a press like releasing the button.
    if (newCapture != this)
        ReleaseSpin();
    CWnd::OnCaptureChanged(newCapture);
}

void CEmbeddedDateTimeCtrl::OnDestroy()
{
    KillTimer(kRepeatTimer);
    m_impl->pressed = SpinButton::None;
    m_impl->DestroyCalendar();
    CWnd::OnDestroy();
}

// ---- Calendar pop-up -----------------------------------------------------------------------

void CEmbeddedDateTimeCtrl::ToggleCalendar()
{
    if (m_impl->calendar != nullptr) {
        m_impl->CloseCalendar();
        return;
    }
    auto calendar = std::make_unique<CMonthCalDlg>(this);
    calendar->SetDate(m_impl->segments.Normalize());
    CRect window;
    GetWindowRect(&window);
    if (!calendar->CreatePopup(this, CPoint(window.left, window.bottom)))
        return;
    m_impl->calendar = std::move(calendar);
    m_impl->calendarClosing = false;
    m_impl->Hook(m_impl->calendar.get());
    m_impl->Changed();
}

LRESULT CEmbeddedDateTimeCtrl::Impl::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    // The dialog's own ending (EndDialog hides it) is never let through: the pop-up closes
    // only through kCalendarClosed.
    const bool ending = (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) ||
                        message == WM_CLOSE;
    if (calendarClosing)
        return ending ? 0 : CallNext(message, wParam, lParam);
    if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header != nullptr && header->idFrom == CMonthCalDlg::kCalendarId && header->code == MCN_SELECT) {
            AcceptCalendarDay();
            return 0;
        }
    } else if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        if (LOWORD(wParam) == IDOK)
            AcceptCalendarDay();
        else
            CloseCalendar();
        return 0;
    } else if (message == WM_CLOSE) {
        CloseCalendar();
        return 0;
    }
    return CallNext(message, wParam, lParam);
}

void CEmbeddedDateTimeCtrl::Impl::AcceptCalendarDay()
{
    SYSTEMTIME day;
    if (calendar != nullptr && calendar->GetCalendarDate(day)) {
        if (segments.ShowsTime())
            segments.SetDate(day);
        else
            segments.SetTime(day); // the day at noon
        if (CWnd* parent = owner.GetParent())
            parent->SendMessage(WM_COMMAND, MAKEWPARAM(owner.GetDlgCtrlID(), CBN_SELENDOK),
                                reinterpret_cast<LPARAM>(&owner));
    }
    CloseCalendar();
}

void CEmbeddedDateTimeCtrl::Impl::CloseCalendar()
{
    if (calendar == nullptr || calendarClosing)
        return;
    // The pop-up stays up until kCalendarClosed: hiding the active window now would let the
    // window system move the activation elsewhere after the editor took the focus back.
    calendarClosing = true;
    owner.PostMessage(GetEventMessage(), kCalendarClosed);
    Changed();
}

void CEmbeddedDateTimeCtrl::Impl::DestroyCalendar()
{
    if (calendar == nullptr)
        return;
    Unhook();
    calendar->DestroyWindow();
    calendar.reset();
    calendarClosing = false;
}

} // namespace Ombrel::GUI
