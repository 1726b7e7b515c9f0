#pragma once

// The toolkit widget behind a window of a standard control class, and how its input reaches
// the window's procedure first. Internal to the framework layer.
//
//   toolkit event on the control widget (key, mouse, wheel, focus, paint)
//     -> NativeControl::eventFilter: records the event (NativeEventRecord), translates it
//        into messages (TranslateControlEvent) and always consumes it
//        -> DispatchNow -> hooks -> WindowProc -> handlers -> DefWindowProc
//           -> NativeControl::HandleMessage: the control's default processing; for the
//              messages made from the recorded event it hands the event to the widget now
//              (PassInput), so that the toolkit's own handling runs inside Default()
// A message that a hook or handler swallows therefore never reaches the widget. Messages
// that do not come from the recorded event (sent by code) are carried out by the control as
// on the platform: WM_CHAR types the character, WM_KEYDOWN of a navigation key moves the caret.
// The widget's private timers (caret blinking, auto-repeat) stay the toolkit's own.

#include "ombrel/platform/ControlMessages.h"
#include "ombrel/platform/Wnd.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <vector>

class QEvent;
class QString;
class QWidget;

namespace Ombrel {

class CHostWidget;

namespace Internal {

// A toolkit event of a control while it is translated into messages.
struct NativeEventRecord
{
    QObject* receiver = nullptr;
    QEvent* event = nullptr;
    UINT virtualKey = 0;          // key events: the key's virtual-key code
    std::vector<UINT> characters; // key press: what the key types, one WM_CHAR each
    bool keyDownPassed = false;   // the key-down reached the default; the event waits for WM_CHAR
    bool delivered = false;       // the widget has had the event
};

class NativeControl : public QObject
{
public:
    NativeControl(CWnd& window, CHostWidget& host);
    ~NativeControl() override;

    // The control's default processing of a message: true when handled, with the result.
    // The base handles the input messages (PassInput), WM_SETTEXT / WM_GETTEXT and the cursor.
    virtual bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Called when the window goes: no signal of the widget reaches the window any more.
    void Detach();
    // Fits the control widget into its host.
    void Layout();
    QWidget* Widget() const { return m_widget; }

protected:
    // Sets the widget (a child of the host) and routes its input and painting through
    // messages; `inputWidgets` are further widgets inside it that take input directly.
    void SetWidget(QWidget* widget, std::vector<QWidget*> inputWidgets = {});
    CWnd* Window() const { return m_window; }
    // WM_COMMAND to the parent; false when the window was destroyed meanwhile.
    bool NotifyParent(UINT code);
    // WM_NOTIFY to the parent with the header filled in; 0 when there is no parent.
    LRESULT NotifyParent(NMHDR& header, UINT code);
    // Keeps the window's text (GetWindowText) equal to the control's.
    void MirrorText(const QString& text);
    // Sets the control's text for WM_SETTEXT; the base sets only the window's text.
    virtual void SetControlText(const char* text);
    // Lets go of whatever the control holds in other windows (called by Detach).
    virtual void OnDetach() {}

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // True while a pop-up window of the control (its drop-down list) is open.
    bool OwnPopupIsOpen() const;
    bool PassInput(UINT message, WPARAM wParam, LRESULT& result);
    void Deliver(NativeEventRecord& record);

    CWnd* m_window; // null once detached
    QPointer<CHostWidget> m_host;
    QPointer<QWidget> m_widget;
};

// Makes the control widget for a window of a control class. Null with `refused` false when the
// class is no control class; null with `refused` true when the style asks for something the
// control cannot be.
NativeControl* CreateNativeControl(CWnd& window, CHostWidget& host, const char* className,
                                   const CREATESTRUCT& cs, bool& refused);

// The control classes, each in its own file; null when the style cannot be honoured.
NativeControl* CreateEditControl(CWnd& window, CHostWidget& host, const CREATESTRUCT& cs);
NativeControl* CreateButtonControl(CWnd& window, CHostWidget& host, const CREATESTRUCT& cs);
NativeControl* CreateStaticControl(CWnd& window, CHostWidget& host, const CREATESTRUCT& cs);
NativeControl* CreateComboControl(CWnd& window, CHostWidget& host, const CREATESTRUCT& cs);
NativeControl* CreateUpDownControl(CWnd& window, CHostWidget& host, const CREATESTRUCT& cs);
NativeControl* CreateMonthCalControl(CWnd& window, CHostWidget& host, const CREATESTRUCT& cs);

// Sends `event` to `receiver` past the control's event filter (it is the control's own
// handling of an input message).
void SendPastFilter(QObject* receiver, QEvent* event);

// Byte offsets into UTF-8 text <-> positions in the toolkit's UTF-16 text.
int Utf8Offset(const QString& text, int utf16Position);
int Utf16Position(const QString& text, std::int64_t utf8Offset);

} // namespace Internal
} // namespace Ombrel
