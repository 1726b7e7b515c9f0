#pragma once

#include <QWidget>

class QKeyEvent;

namespace Ombrel {

class CWnd;

// The QWidget behind a CWnd. It translates the widget's events into window messages for its
// window (EventTranslation.cpp) and tells the window when Qt destroys it.
class CHostWidget : public QWidget
{
public:
    CHostWidget(CWnd& window, QWidget* parent, Qt::WindowFlags flags);
    ~CHostWidget() override;

    // The window, or null once the window has let go of the widget.
    CWnd* Window() const { return m_window; }
    void Detach() { m_window = nullptr; }

protected:
    bool event(QEvent* event) override;

private:
    CWnd* m_window;
};

// Translates one Qt event of `widget` into messages for `window`; true when the event was
// fully handled and Qt's own handling must not run.
bool TranslateEvent(CWnd& window, CHostWidget& widget, QEvent* event);

// Translates one input, focus or paint event of a standard control's widget (`receiver`, the
// control widget or a widget inside it) into messages for `window`. The event reaches the
// widget's own handling only through the control's default processing (NativeControl.h).
// Always consumes the event.
bool TranslateControlEvent(CWnd& window, QWidget& receiver, QEvent* event);

// The Qt key event being translated on this thread, or null (frames match their menu
// shortcuts against it in PreTranslateMessage, as accelerators are on the platform).
const QKeyEvent* CurrentKeyEvent();

// The platform's virtual-key code for a Qt key (0 when there is none).
unsigned TranslateQtKey(int qtKey, Qt::KeyboardModifiers modifiers);

} // namespace Ombrel
