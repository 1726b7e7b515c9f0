// The "Edit" window class: a single-line QLineEdit.
//
// Text changes, typed or set, are told to the parent as EN_UPDATE then EN_CHANGE (WM_COMMAND);
// focus changes as EN_SETFOCUS / EN_KILLFOCUS after the control's own handling. Positions are
// byte offsets into the UTF-8 text (ControlMessages.h).

#include "ombrel/platform/qt/NativeControl.h"

#include "ombrel/platform/qt/HostWidget.h"
#include "ombrel/platform/qt/WndImpl.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

#include <climits>

namespace Ombrel::Internal {
namespace {

Qt::Alignment EditAlignment(DWORD style)
{
    if (style & ES_CENTER)
        return Qt::AlignHCenter | Qt::AlignVCenter;
    if (style & ES_RIGHT)
        return Qt::AlignRight | Qt::AlignVCenter;
    return Qt::AlignLeft | Qt::AlignVCenter;
}

void StorePosition(WPARAM address, int value)
{
    if (address != 0)
        *reinterpret_cast<DWORD*>(address) = static_cast<DWORD>(value);
}

class EditControl : public NativeControl
{
public:
    EditControl(CWnd& window, CHostWidget& host, const CREATESTRUCT& cs)
        : NativeControl(window, host), m_edit(new QLineEdit(&host))
    {
        m_edit->setAlignment(EditAlignment(cs.style));
        m_edit->setReadOnly((cs.style & ES_READONLY) != 0);
        if (cs.style & ES_PASSWORD)
            m_edit->setEchoMode(QLineEdit::Password);
        if (cs.style & ES_NUMBER)
            m_edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), m_edit));
        bool edged = (cs.style & WS_BORDER) || (cs.dwExStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
        m_edit->setFrame(edged);
        m_edit->setText(QString::fromUtf8(cs.lpszName != nullptr ? cs.lpszName : ""));
        QObject::connect(m_edit, &QLineEdit::textChanged, this, [this](const QString& text) {
            MirrorText(text);
            if (NotifyParent(EN_UPDATE))
                NotifyParent(EN_CHANGE);
        });
        SetWidget(m_edit);
    }

    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        if (message == WM_SETFOCUS || message == WM_KILLFOCUS) {
            NativeControl::HandleMessage(message, wParam, lParam, result);
            NotifyParent(message == WM_SETFOCUS ? EN_SETFOCUS : EN_KILLFOCUS);
            return true;
        }
        result = 0;
        switch (message) {
        case EM_GETSEL:
            result = GetSelection(wParam, static_cast<WPARAM>(lParam));
            return true;
        case EM_SETSEL:
            SetSelection(static_cast<std::int32_t>(wParam), static_cast<std::int32_t>(lParam));
            return true;
        case EM_REPLACESEL:
            m_edit->insert(QString::fromUtf8(lParam != 0 ? reinterpret_cast<const char*>(lParam) : ""));
            return true;
        case EM_LIMITTEXT:
            m_edit->setMaxLength(wParam == 0 ? kEditMaxTextLimit
                                             : static_cast<int>(std::min<WPARAM>(wParam, kEditMaxTextLimit)));
            return true;
        case EM_GETLIMITTEXT:
            result = m_edit->maxLength();
            return true;
        case EM_SETREADONLY:
            m_edit->setReadOnly(wParam != 0);
            Window()->ModifyStyle(wParam != 0 ? 0 : ES_READONLY, wParam != 0 ? ES_READONLY : 0);
            result = 1;
            return true;
        case EM_GETCARETINDEX:
            result = Utf8Offset(m_edit->text(), m_edit->cursorPosition());
            return true;
        case EM_SETCARETINDEX:
            m_edit->setCursorPosition(Utf16Position(m_edit->text(), static_cast<std::int64_t>(wParam)));
            return true;
        default:
            return NativeControl::HandleMessage(message, wParam, lParam, result);
        }
    }

protected:
    void SetControlText(const char* text) override
    {
        QString value = QString::fromUtf8(text != nullptr ? text : "");
        if (value == m_edit->text())
            MirrorText(value);
        else
            m_edit->setText(value); // textChanged mirrors it and notifies
    }

private:
    LRESULT GetSelection(WPARAM startAddress, WPARAM endAddress) const
    {
        QString text = m_edit->text();
        int start = m_edit->cursorPosition();
        int end = start;
        if (m_edit->hasSelectedText()) {
            start = m_edit->selectionStart();
            end = m_edit->selectionEnd();
        }
        int startOffset = Utf8Offset(text, start);
        int endOffset = Utf8Offset(text, end);
        StorePosition(startAddress, startOffset);
        StorePosition(endAddress, endOffset);
        return static_cast<LRESULT>(MAKELPARAM(startOffset, endOffset));
    }

    // start -1: no selection (the caret stays); end -1: up to the end of the text. The caret
    // ends at `end`.
    void SetSelection(std::int32_t start, std::int32_t end)
    {
        QString text = m_edit->text();
        if (start < 0) {
            m_edit->deselect();
            return;
        }
        int from = Utf16Position(text, start);
        int to = end < 0 ? static_cast<int>(text.size()) : Utf16Position(text, end);
        if (from == to)
            m_edit->setCursorPosition(from);
        else
            m_edit->setSelection(from, to - from);
    }

    QLineEdit* m_edit;
};

} // namespace

NativeControl* CreateEditControl(CWnd& window, CHostWidget& host, const CREATESTRUCT& cs)
{
    if (cs.style & ES_MULTILINE)
        return nullptr; // a single-line control only
    return new EditControl(window, host, cs);
}

} // namespace Ombrel::Internal
