// CDialog: building a dialog from its template, the modal loop, keys and data exchange.

#include "ombrel/platform/Dialog.h"

#include "ombrel/platform/DataExchange.h"
#include "ombrel/platform/Font.h"
#include "ombrel/platform/WindowMessaging.h"
#include "ombrel/platform/qt/HostWidget.h"
#include "ombrel/platform/qt/QtDrawing.h"
#include "ombrel/platform/qt/WndImpl.h"

#include <QApplication>
#include <QEventLoop>
#include <QFontMetrics>
#include <QScreen>

#include <algorithm>

namespace Ombrel {

struct CDialog::Impl
{
    const CDialogTemplate* dialogTemplate = nullptr; // for DoModal; not owned
    CWnd* parent = nullptr;
    std::vector<std::unique_ptr<CWnd>> items; // controls made from the template (not adopted ones)
    CFont font;
    int baseWidth = 1;  // average character width of the font, pixels
    int baseHeight = 1; // character height of the font, pixels
    UINT defaultId = IDOK;
    bool modal = false;
    bool ended = false;
    int result = -1;
    QEventLoop* loop = nullptr; // the modal loop while it runs
};

namespace {

int MulDiv(int value, int numerator, int denominator)
{
    std::int64_t product = static_cast<std::int64_t>(value) * numerator;
    return static_cast<int>((product + (product >= 0 ? denominator / 2 : -denominator / 2)) / denominator);
}

bool IsPushButton(CWnd* window)
{
    if (window == nullptr || window->GetClassName().CompareNoCase(kButtonClass) != 0)
        return false;
    DWORD type = window->GetStyle() & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

bool IsDescendant(const CWnd* window, const CWnd* ancestor)
{
    for (const CWnd* current = window; current != nullptr; current = current->GetParent()) {
        if (current == ancestor)
            return true;
    }
    return false;
}

// Whether `text` marks `key` (a virtual key of a letter or a digit) as its mnemonic: "&Top"
// marks T. "&&" is a literal ampersand.
bool HasMnemonic(const CString& text, UINT key)
{
    const std::string shown(text.GetString());
    for (std::size_t at = 0; at + 1 < shown.size(); ++at) {
        if (shown[at] != '&')
            continue;
        const char marked = shown[at + 1];
        if (marked == '&') {
            ++at;
            continue;
        }
        const char upper = marked >= 'a' && marked <= 'z' ? static_cast<char>(marked - 'a' + 'A') : marked;
        return static_cast<UINT>(static_cast<unsigned char>(upper)) == key;
    }
    return false;
}

} // namespace

CDialog::CDialog() : m_dialog(std::make_unique<Impl>()) {}

CDialog::CDialog(const CDialogTemplate* dialogTemplate, CWnd* parent) : CDialog()
{
    InitModalIndirect(dialogTemplate, parent);
}

CDialog::~CDialog()
{
    if (IsWindow(this))
        DestroyWindow();
}

bool CDialog::InitModalIndirect(const CDialogTemplate* dialogTemplate, CWnd* parent)
{
    m_dialog->dialogTemplate = dialogTemplate;
    m_dialog->parent = parent;
    return dialogTemplate != nullptr;
}

// ---- Building -----------------------------------------------------------------------------

void CDialog::MapDialogRect(CRect* rect) const
{
    if (rect == nullptr)
        return;
    const Impl& dialog = *m_dialog;
    *rect = CRect(MulDiv(rect->left, dialog.baseWidth, 4), MulDiv(rect->top, dialog.baseHeight, 8),
                  MulDiv(rect->right, dialog.baseWidth, 4), MulDiv(rect->bottom, dialog.baseHeight, 8));
}

bool CDialog::Build(const CDialogTemplate& dialogTemplate, CWnd* parent, bool modal)
{
    Impl& dialog = *m_dialog;
    if (IsWindow(this))
        return false;
    // Every control class must exist before anything is made.
    for (const DialogItemTemplate& item : dialogTemplate.GetItems()) {
        if (!IsWindowClassRegistered(item.className.GetString()))
            return false;
    }
    dialog.items.clear();
    bool ownFont = (dialogTemplate.GetStyle() & DS_SETFONT) && dialogTemplate.GetPointSize() > 0;
    if (!ownFont || !dialog.font.CreatePointFont(dialogTemplate.GetPointSize() * 10,
                                                 dialogTemplate.GetFaceName().GetString()))
        dialog.font = *GetDefaultGuiFont();
    // The platform's base units: the average width of the Latin letters, rounded, and the height.
    QFontMetrics metrics(ToQFont(dialog.font));
    int letters = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    dialog.baseWidth = std::max(1, (letters / 26 + 1) / 2);
    dialog.baseHeight = std::max(1, metrics.height());

    CRect rect(0, 0, dialogTemplate.GetRect().Width(), dialogTemplate.GetRect().Height());
    MapDialogRect(&rect);
    CRect place(dialogTemplate.GetRect().left, dialogTemplate.GetRect().top, dialogTemplate.GetRect().left,
                dialogTemplate.GetRect().top);
    MapDialogRect(&place);
    // A template with WS_CHILD makes a child dialog (a tool strip inside another window),
    // placed in the parent's client area; every other template makes a pop-up.
    const bool child = (dialogTemplate.GetStyle() & WS_CHILD) != 0 && parent != nullptr && IsWindow(parent);
    if (!child && parent != nullptr && IsWindow(parent))
        parent->ClientToScreen(&place);
    rect.OffsetRect(place.left, place.top);
    DWORD style = child ? (dialogTemplate.GetStyle() & ~(WS_POPUP | WS_VISIBLE))
                        : (dialogTemplate.GetStyle() & ~(WS_CHILD | WS_VISIBLE)) | WS_POPUP;
    dialog.modal = modal;
    dialog.ended = false;
    dialog.result = -1;
    dialog.defaultId = IDOK;
    if (!CreateEx(dialogTemplate.GetExStyle(), kDialogClass, dialogTemplate.GetCaption().GetString(), style, rect,
                  parent, 0))
        return false;
    if (!CreateItems(dialogTemplate)) {
        DestroyWindow();
        return false;
    }
    if (dialogTemplate.GetStyle() & DS_CENTER) {
        QWidget* widget = CWnd::Impl::Of(*this).widget;
        QWidget* over = parent != nullptr && IsWindow(parent) ? CWnd::Impl::Of(*parent).widget.data() : nullptr;
        QRect area = over != nullptr ? QRect(over->mapToGlobal(QPoint(0, 0)), over->size())
                                     : widget->screen()->availableGeometry();
        widget->move(area.center() - QPoint(widget->width() / 2, widget->height() / 2));
    }
    return true;
}

bool CDialog::CreateItems(const CDialogTemplate& dialogTemplate)
{
    Impl& dialog = *m_dialog;
    SetFont(&dialog.font, false);
    for (const DialogItemTemplate& item : dialogTemplate.GetItems()) {
        CRect rect = item.rect;
        MapDialogRect(&rect);
        auto control = std::make_unique<CWnd>();
        if (!control->CreateEx(item.exStyle, item.className.GetString(), item.text.GetString(),
                               item.style | WS_CHILD, rect, this, item.id))
            return false;
        control->SetFont(&dialog.font, false);
        if (item.className.CompareNoCase(kButtonClass) == 0 && (item.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            dialog.defaultId = item.id;
        dialog.items.push_back(std::move(control));
    }
    return true;
}

// ---- Running ------------------------------------------------------------------------------

INT_PTR CDialog::DoModal()
{
    Impl& dialog = *m_dialog;
    if (dialog.dialogTemplate == nullptr || !Build(*dialog.dialogTemplate, dialog.parent, true))
        return -1;
    QWidget* widget = CWnd::Impl::Of(*this).widget;
    widget->setWindowModality(Qt::ApplicationModal);
    SendMessage(WM_INITDIALOG, 0, 0);
    if (IsWindow(this) && !dialog.ended) {
        ShowWindow(SW_SHOW);
        QApplication::setActiveWindow(widget);
        QEventLoop loop;
        dialog.loop = &loop;
        loop.exec(QEventLoop::DialogExec);
        dialog.loop = nullptr;
    }
    INT_PTR result = dialog.ended ? dialog.result : -1;
    if (IsWindow(this))
        DestroyWindow();
    return result;
}

bool CDialog::CreateIndirect(const CDialogTemplate& dialogTemplate, CWnd* parent)
{
    if (!Build(dialogTemplate, parent, false))
        return false;
    SendMessage(WM_INITDIALOG, 0, 0);
    if (IsWindow(this) && (dialogTemplate.GetStyle() & WS_VISIBLE))
        ShowWindow(SW_SHOW);
    return IsWindow(this);
}

void CDialog::EndDialog(int result)
{
    Impl& dialog = *m_dialog;
    if (!IsWindow(this))
        return;
    dialog.result = result;
    dialog.ended = true;
    if (dialog.loop != nullptr)
        dialog.loop->exit(0);
    else if (!dialog.modal)
        ShowWindow(SW_HIDE);
}

void CDialog::OnNcDestroy()
{
    // A modal dialog destroyed before EndDialog ends its loop (DoModal returns -1).
    if (m_dialog->loop != nullptr)
        m_dialog->loop->exit(0);
    CWnd::OnNcDestroy();
}

// ---- Controls -----------------------------------------------------------------------------

CWnd* CDialog::GetDlgItem(UINT id) const
{
    if (!IsWindow(this))
        return nullptr;
    for (CWnd* child : CWnd::Impl::Of(*this).children) {
        if (IsWindow(child) && child->GetDlgCtrlID() == id)
            return child;
    }
    return nullptr;
}

bool CDialog::SubclassDlgItem(UINT id, CWnd* object)
{
    CWnd* item = GetDlgItem(id);
    if (item == nullptr || object == nullptr || IsWindow(object))
        return item != nullptr && item == object;
    CRect rect;
    item->GetWindowRect(&rect);
    ScreenToClient(&rect);
    CString className = item->GetClassName();
    CString text = item->GetWindowText();
    DWORD style = item->GetStyle();
    DWORD exStyle = item->GetExStyle();
    CFont* font = item->GetFont();
    std::vector<CWnd*>& children = CWnd::Impl::Of(*this).children;
    std::size_t slot = static_cast<std::size_t>(std::find(children.begin(), children.end(), item) - children.begin());
    CWnd* next = slot + 1 < children.size() ? children[slot + 1] : nullptr;
    CWnd* previous = slot > 0 ? children[slot - 1] : nullptr;

    item->DestroyWindow();
    std::erase_if(m_dialog->items, [item](const std::unique_ptr<CWnd>& owned) { return owned.get() == item; });
    if (!object->CreateEx(exStyle, className.GetString(), text.GetString(), style | WS_CHILD, rect, this, id))
        return false;
    object->SetFont(font, false);
    // Back to the old place among the children: creation order, stacking and tab order.
    std::erase(children, object);
    children.insert(children.begin() + static_cast<std::ptrdiff_t>(std::min(slot, children.size())), object);
    QWidget* widget = CWnd::Impl::Of(*object).widget;
    if (next != nullptr && IsWindow(next)) {
        widget->stackUnder(CWnd::Impl::Of(*next).widget);
        QWidget::setTabOrder(widget, CWnd::Impl::Of(*next).widget);
    }
    if (previous != nullptr && IsWindow(previous))
        QWidget::setTabOrder(CWnd::Impl::Of(*previous).widget, widget);
    return true;
}

UINT CDialog::GetDefID() const
{
    return m_dialog->defaultId;
}

void CDialog::SetDefID(UINT id)
{
    CWnd* previous = GetDlgItem(m_dialog->defaultId);
    if (IsPushButton(previous))
        previous->SendMessage(BM_SETSTYLE, BS_PUSHBUTTON);
    m_dialog->defaultId = id;
    CWnd* next = GetDlgItem(id);
    if (IsPushButton(next))
        next->SendMessage(BM_SETSTYLE, BS_DEFPUSHBUTTON);
}

// ---- Messages -----------------------------------------------------------------------------

bool CDialog::PressDefaultButton()
{
    CWnd* focus = GetFocus();
    UINT id = IsPushButton(focus) && IsDescendant(focus, this) ? focus->GetDlgCtrlID() : m_dialog->defaultId;
    CWnd* button = GetDlgItem(id);
    if (button != nullptr && !button->IsWindowEnabled())
        return true; // a disabled default button is not pressed
    SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return true;
}

bool CDialog::PressMnemonicButton(UINT key)
{
    for (CWnd* child : CWnd::Impl::Of(*this).children) {
        if (IsWindow(child) && IsPushButton(child) && child->IsWindowVisible() && child->IsWindowEnabled() &&
            HasMnemonic(child->GetWindowText(), key)) {
            SendMessage(WM_COMMAND, MAKEWPARAM(child->GetDlgCtrlID(), BN_CLICKED), reinterpret_cast<LPARAM>(child));
            return true;
        }
    }
    return false;
}

bool CDialog::PreTranslateMessage(MSG* msg)
{
    if (msg != nullptr && msg->message == WM_SYSKEYDOWN && IsDescendant(msg->hwnd, this) &&
        PressMnemonicButton(static_cast<UINT>(msg->wParam)))
        return true;
    if (msg == nullptr || msg->message != WM_KEYDOWN || !IsDescendant(msg->hwnd, this))
        return CWnd::PreTranslateMessage(msg);
    if (msg->wParam == VK_ESCAPE) {
        SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(IDCANCEL)));
        return true;
    }
    if (msg->wParam == VK_RETURN)
        return PressDefaultButton();
    return CWnd::PreTranslateMessage(msg);
}

bool CDialog::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    LRESULT ignored = 0;
    LRESULT& out = result != nullptr ? *result : ignored;
    switch (message) {
    case WM_INITDIALOG:
        out = OnInitDialog() ? 1 : 0;
        return true;
    case DM_GETDEFID:
        out = MAKELPARAM(static_cast<std::int32_t>(m_dialog->defaultId), static_cast<std::int32_t>(DC_HASDEFID));
        return true;
    case DM_SETDEFID:
        SetDefID(static_cast<UINT>(wParam));
        out = 1;
        return true;
    default:
        return CWnd::OnWndMsg(message, wParam, lParam, result);
    }
}

bool CDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam)) {
    case IDOK:
        OnOK();
        return true;
    case IDCANCEL:
        OnCancel();
        return true;
    default:
        return CWnd::OnCommand(wParam, lParam);
    }
}

void CDialog::OnClose()
{
    SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
}

bool CDialog::OnInitDialog()
{
    UpdateData(false);
    // The first enabled tab stop gets the focus.
    for (CWnd* child : CWnd::Impl::Of(*this).children) {
        if (IsWindow(child) && (child->GetStyle() & WS_TABSTOP) && child->IsWindowEnabled()) {
            child->SetFocus();
            break;
        }
    }
    return true;
}

void CDialog::OnOK()
{
    if (UpdateData(true))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*) {}

bool CDialog::UpdateData(bool saveAndValidate)
{
    if (!IsWindow(this))
        return false;
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return !dx.HasFailed();
}

} // namespace Ombrel
