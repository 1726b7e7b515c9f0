// The "Button" window class: push buttons (QPushButton), check boxes (QCheckBox) and group
// boxes (QGroupBox). A click is told to the parent as BN_CLICKED (WM_COMMAND). Check boxes
// without the AUTO styles keep their state when clicked: the parent sets it (BM_SETCHECK).

#include "ombrel/platform/qt/NativeControl.h"

#include "ombrel/platform/qt/HostWidget.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>

namespace Ombrel::Internal {
namespace {

class CheckBoxWidget : public QCheckBox
{
public:
    CheckBoxWidget(bool automatic, QWidget* parent) : QCheckBox(parent), m_automatic(automatic) {}

protected:
    void nextCheckState() override
    {
        if (m_automatic)
            QCheckBox::nextCheckState();
    }

private:
    bool m_automatic;
};

int CheckFromState(Qt::CheckState state)
{
    switch (state) {
    case Qt::Checked: return BST_CHECKED;
    case Qt::PartiallyChecked: return BST_INDETERMINATE;
    default: return BST_UNCHECKED;
    }
}

class ButtonControl : public NativeControl
{
public:
    ButtonControl(CWnd& window, CHostWidget& host, const CREATESTRUCT& cs, QAbstractButton* button)
        : NativeControl(window, host), m_button(button)
    {
        m_button->setText(QString::fromUtf8(cs.lpszName != nullptr ? cs.lpszName : ""));
        if (auto* push = qobject_cast<QPushButton*>(m_button)) {
            push->setAutoDefault(false); // the dialog decides what Enter presses
            push->setDefault((cs.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
        }
        QObject::connect(m_button, &QAbstractButton::clicked, this, [this] { NotifyParent(BN_CLICKED); });
        SetWidget(m_button);
    }

    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        result = 0;
        auto* check = qobject_cast<QCheckBox*>(m_button);
        switch (message) {
        case BM_GETCHECK:
            result = check != nullptr ? CheckFromState(check->checkState()) : BST_UNCHECKED;
            return true;
        case BM_SETCHECK:
            if (check != nullptr) {
                bool indeterminate = wParam == BST_INDETERMINATE && check->isTristate();
                check->setCheckState(indeterminate ? Qt::PartiallyChecked
                                                   : wParam == BST_CHECKED ? Qt::Checked : Qt::Unchecked);
            }
            return true;
        case BM_CLICK:
            m_button->click();
            return true;
        case BM_SETSTYLE:
            SetPushStyle(static_cast<DWORD>(wParam) & BS_TYPEMASK);
            return true;
        default:
            return NativeControl::HandleMessage(message, wParam, lParam, result);
        }
    }

protected:
    void SetControlText(const char* text) override
    {
        NativeControl::SetControlText(text);
        m_button->setText(QString::fromUtf8(text != nullptr ? text : ""));
    }

private:
    void SetPushStyle(DWORD type)
    {
        auto* push = qobject_cast<QPushButton*>(m_button);
        if (push == nullptr || (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON))
            return;
        push->setDefault(type == BS_DEFPUSHBUTTON);
        Window()->ModifyStyle(BS_TYPEMASK, type);
    }

    QAbstractButton* m_button;
};

class GroupBoxControl : public NativeControl
{
public:
    GroupBoxControl(CWnd& window, CHostWidget& host, const CREATESTRUCT& cs)
        : NativeControl(window, host), m_box(new QGroupBox(&host))
    {
        m_box->setTitle(QString::fromUtf8(cs.lpszName != nullptr ? cs.lpszName : ""));
        m_box->setFocusPolicy(Qt::NoFocus);
        SetWidget(m_box);
    }

protected:
    void SetControlText(const char* text) override
    {
        NativeControl::SetControlText(text);
        m_box->setTitle(QString::fromUtf8(text != nullptr ? text : ""));
    }

private:
    QGroupBox* m_box;
};

} // namespace

NativeControl* CreateButtonControl(CWnd& window, CHostWidget& host, const CREATESTRUCT& cs)
{
    switch (cs.style & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
        return new ButtonControl(window, host, cs, new QPushButton(&host));
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE: {
        DWORD type = cs.style & BS_TYPEMASK;
        auto* box = new CheckBoxWidget(type == BS_AUTOCHECKBOX || type == BS_AUTO3STATE, &host);
        box->setTristate(type == BS_3STATE || type == BS_AUTO3STATE);
        return new ButtonControl(window, host, cs, box);
    }
    case BS_GROUPBOX:
        return new GroupBoxControl(window, host, cs);
    default:
        return nullptr; // radio buttons and owner-drawn buttons are not available
    }
}

} // namespace Ombrel::Internal
