#include "ombrel/platform/DataExchange.h"

#include "ombrel/platform/ControlMessages.h"
#include "ombrel/platform/Dialog.h"

#include <cerrno>
#include <cstdlib>
#include <limits>
#include <string>

namespace Ombrel {
namespace {

bool IsBlank(char ch)
{
    return ch == ' ' || ch == '\t';
}

// A whole decimal number within int's range, blanks around it allowed.
bool ParseInt(const CString& text, int& value)
{
    const char* begin = text.GetString();
    while (IsBlank(*begin))
        ++begin;
    if (*begin == '\0')
        return false;
    char* end = nullptr;
    errno = 0;
    long long parsed = std::strtoll(begin, &end, 10);
    if (end == begin || errno == ERANGE || parsed < std::numeric_limits<int>::min() ||
        parsed > std::numeric_limits<int>::max())
        return false;
    while (IsBlank(*end))
        ++end;
    if (*end != '\0')
        return false;
    value = static_cast<int>(parsed);
    return true;
}

} // namespace

CDataExchange::CDataExchange(CDialog* dialog, bool saveAndValidate)
    : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog)
{
}

CWnd* CDataExchange::PrepareCtrl(int id)
{
    CWnd* control = m_pDlgWnd != nullptr ? m_pDlgWnd->GetDlgItem(static_cast<UINT>(id)) : nullptr;
    m_lastControl = control;
    if (control == nullptr)
        m_failed = true;
    return control;
}

void CDataExchange::Fail()
{
    m_failed = true;
    if (m_lastControl == nullptr)
        return;
    m_lastControl->SetFocus();
    if (m_lastControl->GetClassName().CompareNoCase(kEditClass) == 0)
        m_lastControl->SendMessage(EM_SETSEL, 0, -1);
}

void DDX_Text(CDataExchange* dx, int id, CString& value)
{
    CWnd* control = dx != nullptr && !dx->HasFailed() ? dx->PrepareCtrl(id) : nullptr;
    if (control == nullptr)
        return;
    if (dx->m_bSaveAndValidate)
        value = control->GetWindowText();
    else
        control->SetWindowText(value.GetString());
}

void DDX_Text(CDataExchange* dx, int id, int& value)
{
    CWnd* control = dx != nullptr && !dx->HasFailed() ? dx->PrepareCtrl(id) : nullptr;
    if (control == nullptr)
        return;
    if (!dx->m_bSaveAndValidate) {
        control->SetWindowText(std::to_string(value).c_str());
        return;
    }
    int parsed = 0;
    if (ParseInt(control->GetWindowText(), parsed))
        value = parsed;
    else
        dx->Fail();
}

void DDX_Check(CDataExchange* dx, int id, int& value)
{
    CWnd* control = dx != nullptr && !dx->HasFailed() ? dx->PrepareCtrl(id) : nullptr;
    if (control == nullptr)
        return;
    if (dx->m_bSaveAndValidate)
        value = static_cast<int>(control->SendMessage(BM_GETCHECK));
    else
        control->SendMessage(BM_SETCHECK, static_cast<WPARAM>(value));
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control)
{
    if (dx == nullptr || dx->HasFailed() || dx->m_pDlgWnd == nullptr)
        return;
    if (!dx->m_pDlgWnd->SubclassDlgItem(static_cast<UINT>(id), &control)) {
        dx->PrepareCtrl(id);
        dx->Fail();
    }
}

} // namespace Ombrel
