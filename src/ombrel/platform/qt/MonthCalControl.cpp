// The "SysMonthCal32" window class: a month calendar (QCalendarWidget) with one selected day.
// User choices are told to the parent by WM_NOTIFY: MCN_SELCHANGE whenever the selected day
// changes, then MCN_SELECT when a day was picked (click or Enter). MCM_SETCURSEL is not
// notified. Input inside the calendar's day grid is the toolkit's own: only the calendar's
// outer widget goes through the window's messages.

#include "ombrel/platform/qt/NativeControl.h"

#include "ombrel/platform/qt/HostWidget.h"

#include <QCalendarWidget>

namespace Ombrel::Internal {
namespace {

SYSTEMTIME ToSystemTime(const QDate& date)
{
    SYSTEMTIME time;
    time.wYear = static_cast<std::uint16_t>(date.year());
    time.wMonth = static_cast<std::uint16_t>(date.month());
    time.wDay = static_cast<std::uint16_t>(date.day());
    time.wDayOfWeek = static_cast<std::uint16_t>(date.dayOfWeek() % 7); // Qt: Monday 1 .. Sunday 7
    return time;
}

class MonthCalControl : public NativeControl
{
public:
    MonthCalControl(CWnd& window, CHostWidget& host)
        : NativeControl(window, host), m_calendar(new QCalendarWidget(&host))
    {
        m_calendar->setGridVisible(false);
        QObject::connect(m_calendar, &QCalendarWidget::selectionChanged, this, [this] {
            if (!m_quiet)
                Notify(MCN_SELCHANGE);
        });
        QObject::connect(m_calendar, &QCalendarWidget::clicked, this, [this](QDate) { Notify(MCN_SELECT); });
        QObject::connect(m_calendar, &QCalendarWidget::activated, this, [this](QDate) { Notify(MCN_SELECT); });
        SetWidget(m_calendar);
    }

    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        result = 0;
        switch (message) {
        case MCM_GETCURSEL:
            if (lParam == 0)
                return true;
            *reinterpret_cast<SYSTEMTIME*>(lParam) = ToSystemTime(m_calendar->selectedDate());
            result = 1;
            return true;
        case MCM_SETCURSEL: {
            const auto* time = reinterpret_cast<const SYSTEMTIME*>(lParam);
            QDate date = time != nullptr ? QDate(time->wYear, time->wMonth, time->wDay) : QDate();
            if (!date.isValid() || date < m_calendar->minimumDate() || date > m_calendar->maximumDate())
                return true; // refused, nothing changes
            m_quiet = true;
            m_calendar->setSelectedDate(date);
            m_quiet = false;
            result = 1;
            return true;
        }
        default:
            return NativeControl::HandleMessage(message, wParam, lParam, result);
        }
    }

private:
    void Notify(UINT code)
    {
        NMSELCHANGE change;
        change.stSelStart = ToSystemTime(m_calendar->selectedDate());
        change.stSelEnd = change.stSelStart;
        NotifyParent(change.nmhdr, code);
    }

    QCalendarWidget* m_calendar;
    bool m_quiet = false; // a selection made by a message: not notified
};

} // namespace

NativeControl* CreateMonthCalControl(CWnd& window, CHostWidget& host, const CREATESTRUCT&)
{
    return new MonthCalControl(window, host);
}

} // namespace Ombrel::Internal
