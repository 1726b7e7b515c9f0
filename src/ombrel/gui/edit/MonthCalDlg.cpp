#include "ombrel/gui/edit/MonthCalDlg.h"

#include "ombrel/platform/Wnd.h"

namespace Ombrel::GUI {

namespace {

constexpr std::uint16_t kNoonHour = 12;

// Dialog units of the template.
constexpr int kCalendarWidth = 150;
constexpr int kCalendarHeight = 110;
constexpr int kMargin = 4;
constexpr int kButtonWidth = 46;
constexpr int kButtonHeight = 14;

} // namespace

CMonthCalDlg::CMonthCalDlg(CWnd* parent)
    : m_template(MakeTemplate(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME))
{
    InitModalIndirect(&m_template, parent);
    m_date.wYear = 2000;
    m_date.wMonth = 1;
    m_date.wDay = 1;
}

CMonthCalDlg::~CMonthCalDlg() = default;

CDialogTemplate CMonthCalDlg::MakeTemplate(DWORD style)
{
    const int width = kCalendarWidth + 2 * kMargin;
    const int buttonsTop = kMargin + kCalendarHeight + kMargin;
    CDialogTemplate dialog("", style, CRect(0, 0, width, buttonsTop + kButtonHeight + kMargin));
    const int okLeft = width - 2 * (kButtonWidth + kMargin);
    dialog.AddItem(kMonthCalClass, kCalendarId, "", WS_VISIBLE | WS_TABSTOP,
                   CRect(kMargin, kMargin, kMargin + kCalendarWidth, kMargin + kCalendarHeight))
        .AddItem(kButtonClass, IDOK, "OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                 CRect(okLeft, buttonsTop, okLeft + kButtonWidth, buttonsTop + kButtonHeight))
        .AddItem(kButtonClass, IDCANCEL, "Cancel", WS_VISIBLE | WS_TABSTOP,
                 CRect(okLeft + kButtonWidth + kMargin, buttonsTop,
                       okLeft + 2 * kButtonWidth + kMargin, buttonsTop + kButtonHeight));
    return dialog;
}

bool CMonthCalDlg::CreatePopup(CWnd* owner, CPoint screenPoint)
{
    m_template = MakeTemplate(WS_POPUP | WS_BORDER);
    if (!CreateIndirect(m_template, owner))
        return false;
    CRect window;
    GetWindowRect(&window);
    MoveWindow(screenPoint.x, screenPoint.y, window.Width(), window.Height());
    ShowWindow(SW_SHOW);
    return true;
}

bool CMonthCalDlg::OnInitDialog()
{
    if (CWnd* calendar = GetDlgItem(kCalendarId)) {
        SYSTEMTIME day = m_date;
        day.wHour = day.wMinute = day.wSecond = day.wMilliseconds = 0;
        calendar->SendMessage(MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&day));
    }
    bool result = CDialog::OnInitDialog();
    // The calendar takes the keys first: Enter picks its day, arrows move it.
    if (CWnd* calendar = GetDlgItem(kCalendarId)) {
        calendar->SetFocus();
        return false;
    }
    return result;
}

bool CMonthCalDlg::GetCalendarDate(SYSTEMTIME& date) const
{
    CWnd* calendar = GetDlgItem(kCalendarId);
    SYSTEMTIME day;
    if (calendar == nullptr || calendar->SendMessage(MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&day)) == 0)
        return false;
    day.wHour = kNoonHour;
    day.wMinute = day.wSecond = day.wMilliseconds = 0;
    date = day;
    return true;
}

void CMonthCalDlg::OnOK()
{
    GetCalendarDate(m_date);
    CDialog::OnOK();
}

} // namespace Ombrel::GUI
