#pragma once

#include "ombrel/base/FileTime.h"
#include "ombrel/platform/Wnd.h"

#include <cstdint>
#include <memory>

namespace Ombrel::GUI {

// A date and time editor for a grid cell: the parts of its mask as segments (date parts in the
// order of the date settings with their separators, then the time parts), spin buttons that
// step the active segment (held down they repeat every kRepeatDelayMs) and, when a date part is
// shown, a drop-down button that opens a month calendar under the control.
//
// Part mask: 0x1 four-digit year, 0x2 two-digit year, 0x4 month, 0x8 day, 0x10 hours,
// 0x20 minutes, 0x40 seconds, 0x80 milliseconds. Years run from 1970 to 2038.
//
// Keys (while it has the focus): digits (main row or keypad) are typed into the active
// segment; Home and End set its minimum and maximum, Up and Down step it (wrapping at its
// limits; not with Shift or Ctrl held); Left and Right post the event message with
// kPreviousSegment / kNextSegment to the control, which then moves the active segment (a hook
// on the control may act on the message first). A day is never read back beyond its month's
// length.
//
// Picking a day in the calendar sets the date (the time shown stays; without a time part the
// time becomes 12:00:00) and sends the parent WM_COMMAND with CBN_SELENDOK, as a drop-down list
// does when its choice is accepted; closing the calendar posts kCalendarClosed.
class CEmbeddedDateTimeCtrl : public CWnd
{
public:
    static constexpr const char* kWindowClass = "Ombrel.EmbeddedDateTimeCtrl";
    // wParam of the event message.
    static constexpr WPARAM kPreviousSegment = 1;
    static constexpr WPARAM kNextSegment = 2;
    static constexpr WPARAM kCalendarClosed = 3;
    // Posted once the pop-up is gone: the window system settles the activation that the
    // destroyed pop-up held first, and only then can the editor take the focus back.
    static constexpr WPARAM kFocusBack = 4;
    static constexpr UINT kRepeatDelayMs = 500;
    static constexpr UINT_PTR kRepeatTimer = 1;

    explicit CEmbeddedDateTimeCtrl(std::uint32_t partMask);
    ~CEmbeddedDateTimeCtrl() override;

    // The registered message "Ombrel.EmbeddedDateTimeEvent".
    static UINT GetEventMessage();

    bool Create(DWORD style, const CRect& rect, CWnd* parent, UINT id);

    std::uint32_t GetPartMask() const;
    // Calendar fields; fields out of range are brought into range.
    void SetTime(const SYSTEMTIME& time);
    // The time shown, every segment brought into range (the day into its month).
    SYSTEMTIME GetTime();
    // A file time, shown in UTC (as CInt64DateFormat does); false for one that cannot be.
    bool SetFileTime(std::uint64_t fileTime);
    std::uint64_t GetFileTime();
    // Seconds since 1970 UTC, shown in local time (as CLongDateFormat does).
    bool SetSeconds(std::int64_t seconds);
    bool GetSeconds(std::int64_t& seconds);

    // What is shown: all segments with separators, one segment's value, the active segment.
    CString GetText() const;
    CString GetSegmentText(int index) const;
    int GetSegmentCount() const;
    int GetActiveSegment() const;
    void SetActiveSegment(int index);

    // Client rectangles of the buttons; empty when not shown.
    CRect GetSpinUpRect() const;
    CRect GetSpinDownRect() const;
    CRect GetDropDownRect() const;
    // The open calendar pop-up, or null.
    CWnd* GetCalendar() const;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnPaint() override;
    bool OnEraseBkgnd(CDC* dc) override;
    void OnKeyDown(UINT virtualKey, UINT repeatCount, UINT flags) override;
    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnLButtonUp(UINT flags, CPoint point) override;
    void OnTimer(UINT_PTR id) override;
    void OnSetFocus(CWnd* oldWnd) override;
    void OnKillFocus(CWnd* newWnd) override;
    void OnCaptureChanged(CWnd* newCapture) override;
    void OnDestroy() override;

    // The state and the hook on the calendar pop-up, defined in the .cpp.
    class Impl;

private:
    void OnEvent(WPARAM code);
    void PressSpin(int direction);
    void ReleaseSpin();
    void ToggleCalendar();

    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::GUI
