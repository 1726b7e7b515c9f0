// The "Static" window class: a line or block of text (QLabel). Without SS_NOPREFIX an '&'
// marks the next character as the mnemonic and is not shown ("&&" shows one '&').

#include "ombrel/platform/qt/NativeControl.h"

#include "ombrel/platform/qt/HostWidget.h"

#include <QLabel>

namespace Ombrel::Internal {
namespace {

QString ShownText(const char* text, bool prefixes)
{
    QString value = QString::fromUtf8(text != nullptr ? text : "");
    if (!prefixes)
        return value;
    QString shown;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'&' && i + 1 < value.size())
            ++i; // "&x" shows x, "&&" shows &
        shown += value[i];
    }
    return shown;
}

class StaticControl : public NativeControl
{
public:
    StaticControl(CWnd& window, CHostWidget& host, const CREATESTRUCT& cs)
        : NativeControl(window, host), m_label(new QLabel(&host)), m_prefixes((cs.style & SS_NOPREFIX) == 0)
    {
        DWORD type = cs.style & SS_TYPEMASK;
        Qt::Alignment horizontal = type == SS_CENTER ? Qt::AlignHCenter : type == SS_RIGHT ? Qt::AlignRight : Qt::AlignLeft;
        m_label->setAlignment(horizontal | Qt::AlignTop);
        m_label->setWordWrap(type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT);
        m_label->setTextFormat(Qt::PlainText);
        m_label->setText(ShownText(cs.lpszName, m_prefixes));
        // The host widget is opaque and leaves the background to the control: a label that
        // did not fill it would show whatever was there before (black in a grabbed image).
        m_label->setAutoFillBackground(true);
        SetWidget(m_label);
    }

protected:
    void SetControlText(const char* text) override
    {
        NativeControl::SetControlText(text);
        m_label->setText(ShownText(text, m_prefixes));
    }

private:
    QLabel* m_label;
    bool m_prefixes;
};

} // namespace

NativeControl* CreateStaticControl(CWnd& window, CHostWidget& host, const CREATESTRUCT& cs)
{
    DWORD type = cs.style & SS_TYPEMASK;
    bool text = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_SIMPLE ||
                type == SS_LEFTNOWORDWRAP;
    return text ? new StaticControl(window, host, cs) : nullptr; // pictures and frames are not available
}

} // namespace Ombrel::Internal
