#pragma once

#include "ombrel/platform/ControlMessages.h"
#include "ombrel/platform/Dialog.h"
#include "ombrel/platform/DialogTemplate.h"

namespace Ombrel::GUI {

// A dialog holding a month calendar (control id kCalendarId) with OK and Cancel: it opens on
// the given date and, on OK, gives the chosen day at 12:00:00. Noon keeps the day the same
// when the time is later shifted by a time zone of up to twelve hours.
//
// Modal (DoModal, as any dialog) or as the date-time editor's pop-up (CreatePopup: no caption, at a screen
// point); the pop-up's owner hooks it to hear of the user's pick.
class CMonthCalDlg : public CDialog
{
public:
    static constexpr UINT kCalendarId = 100;

    explicit CMonthCalDlg(CWnd* parent = nullptr);
    ~CMonthCalDlg() override;

    // The day shown on opening; a day that does not exist leaves the calendar's own choice.
    void SetDate(const SYSTEMTIME& date) { m_date = date; }
    // After OK: the chosen day at 12:00:00.000; before, the date given.
    const SYSTEMTIME& GetDate() const { return m_date; }
    // The day the calendar shows as selected now, at 12:00:00; false without a window.
    bool GetCalendarDate(SYSTEMTIME& date) const;

    // A modeless pop-up with its top-left corner at `screenPoint`; false when it cannot be made.
    bool CreatePopup(CWnd* owner, CPoint screenPoint);

    bool OnInitDialog() override;
    void OnOK() override;

private:
    static CDialogTemplate MakeTemplate(DWORD style);

    CDialogTemplate m_template;
    SYSTEMTIME m_date;
};

} // namespace Ombrel::GUI
