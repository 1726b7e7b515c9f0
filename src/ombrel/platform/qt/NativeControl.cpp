// NativeControl: the common part of the standard controls (see NativeControl.h for the flow).

#include "ombrel/platform/qt/NativeControl.h"

#include "ombrel/platform/Input.h"
#include "ombrel/platform/WindowMessaging.h"
#include "ombrel/platform/qt/HostWidget.h"
#include "ombrel/platform/qt/WndImpl.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QWidget>

#include <cstring>
#include <string_view>

namespace Ombrel::Internal {
namespace {

// The event being handed to a control widget as its own handling; the filter lets it pass.
thread_local const QEvent* t_passingEvent = nullptr;

bool SameClassName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto fold = [](char ch) { return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch; };
        if (fold(a[i]) != fold(b[i]))
            return false;
    }
    return true;
}

bool IsKeyDown(UINT message) { return message == WM_KEYDOWN || message == WM_SYSKEYDOWN; }
bool IsKeyUp(UINT message) { return message == WM_KEYUP || message == WM_SYSKEYUP; }
bool IsCharacter(UINT message) { return message == WM_CHAR || message == WM_SYSCHAR; }
bool IsMouseButtonOrMove(UINT message)
{
    return message >= WM_MOUSEFIRST && message <= WM_MBUTTONDBLCLK;
}
bool IsWheel(UINT message) { return message == WM_MOUSEWHEEL || message == WM_MOUSEHWHEEL; }

// Whether `message` is one of the messages the recorded event was translated into.
bool MadeFrom(const NativeEventRecord& record, UINT message, WPARAM wParam)
{
    switch (record.event->type()) {
    case QEvent::KeyPress:
        if (IsKeyDown(message))
            return wParam == record.virtualKey;
        return IsCharacter(message) &&
               std::find(record.characters.begin(), record.characters.end(), wParam) != record.characters.end();
    case QEvent::KeyRelease:
        return IsKeyUp(message) && wParam == record.virtualKey;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        return IsMouseButtonOrMove(message);
    case QEvent::Wheel:
        return IsWheel(message);
    case QEvent::FocusIn:
        return message == WM_SETFOCUS;
    case QEvent::FocusOut:
        return message == WM_KILLFOCUS;
    case QEvent::Paint:
        return message == WM_PAINT;
    default:
        return false;
    }
}

int QtKeyForCharacter(UINT ch)
{
    switch (ch) {
    case 0x08: return Qt::Key_Backspace;
    case 0x09: return Qt::Key_Tab;
    case 0x0D: return Qt::Key_Return;
    case 0x1B: return Qt::Key_Escape;
    default: break;
    }
    if (ch >= 'a' && ch <= 'z')
        return Qt::Key_A + static_cast<int>(ch - 'a');
    if (ch < 0x80 && ch >= 0x20)
        return static_cast<int>(ch); // Qt's keys for printable ASCII are their codes
    return Qt::Key_unknown;
}

// Keys whose key-down does the work (no character follows); what WM_KEYDOWN sent by code does.
int QtNavigationKey(UINT virtualKey)
{
    switch (virtualKey) {
    case VK_LEFT: return Qt::Key_Left;
    case VK_RIGHT: return Qt::Key_Right;
    case VK_UP: return Qt::Key_Up;
    case VK_DOWN: return Qt::Key_Down;
    case VK_HOME: return Qt::Key_Home;
    case VK_END: return Qt::Key_End;
    case VK_PRIOR: return Qt::Key_PageUp;
    case VK_NEXT: return Qt::Key_PageDown;
    case VK_DELETE: return Qt::Key_Delete;
    case VK_INSERT: return Qt::Key_Insert;
    default: return 0;
    }
}

Qt::KeyboardModifiers HeldModifiers()
{
    Qt::KeyboardModifiers modifiers;
    if (GetKeyState(VK_SHIFT) < 0)
        modifiers |= Qt::ShiftModifier;
    if (GetKeyState(VK_CONTROL) < 0)
        modifiers |= Qt::ControlModifier;
    return modifiers;
}

} // namespace

void SendPastFilter(QObject* receiver, QEvent* event)
{
    const QEvent* previous = t_passingEvent;
    t_passingEvent = event;
    QCoreApplication::sendEvent(receiver, event);
    t_passingEvent = previous;
}

int Utf8Offset(const QString& text, int utf16Position)
{
    utf16Position = std::clamp(utf16Position, 0, static_cast<int>(text.size()));
    return static_cast<int>(QStringView(text).left(utf16Position).toUtf8().size());
}

int Utf16Position(const QString& text, std::int64_t utf8Offset)
{
    if (utf8Offset <= 0)
        return 0;
    std::int64_t bytes = 0;
    int position = 0;
    while (position < text.size()) {
        char32_t ch = text.at(position).unicode();
        int units = 1;
        if (QChar::isHighSurrogate(ch) && position + 1 < text.size()) {
            ch = QChar::surrogateToUcs4(text.at(position), text.at(position + 1));
            units = 2;
        }
        int width = ch < 0x80 ? 1 : ch < 0x800 ? 2 : ch < 0x10000 ? 3 : 4;
        if (bytes + width > utf8Offset)
            break; // an offset inside a character stands for its start
        bytes += width;
        position += units;
    }
    return position;
}

// ---- NativeControl ------------------------------------------------------------------------

NativeControl::NativeControl(CWnd& window, CHostWidget& host)
    : QObject(&host), m_window(&window), m_host(&host)
{
}

NativeControl::~NativeControl() = default;

void NativeControl::Detach()
{
    if (m_window == nullptr)
        return;
    OnDetach();
    m_window = nullptr;
}

void NativeControl::SetWidget(QWidget* widget, std::vector<QWidget*> inputWidgets)
{
    m_widget = widget;
    widget->installEventFilter(this);
    for (QWidget* input : inputWidgets)
        input->installEventFilter(this);
    // Focus given to the window (CWnd::SetFocus) goes to the control widget.
    m_host->setFocusProxy(widget);
    widget->show();
    Layout();
}

void NativeControl::Layout()
{
    if (m_widget && m_host)
        m_widget->setGeometry(m_host->rect());
}

bool NativeControl::eventFilter(QObject* watched, QEvent* event)
{
    if (event == t_passingEvent || m_window == nullptr || !IsWindow(m_window))
        return false;
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Every key comes to the window as input first (frames run their shortcuts from
        // PreTranslateMessage), as for every other window.
        event->accept();
        return true;
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        // The control's own pop-up (a drop-down list) keeps the focus in the control, as the
        // platform's do: the toolkit's focus change to and from it is no focus change here.
        if (static_cast<QFocusEvent*>(event)->reason() == Qt::PopupFocusReason || OwnPopupIsOpen())
            return false;
        if (auto* widget = qobject_cast<QWidget*>(watched))
            return TranslateControlEvent(*m_window, *widget, event);
        return false;
    case QEvent::Paint:
        if (watched != m_widget)
            return false; // parts of the control paint as the control's own painting does
        [[fallthrough]];
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
        if (auto* widget = qobject_cast<QWidget*>(watched))
            return TranslateControlEvent(*m_window, *widget, event);
        return false;
    default:
        return false;
    }
}

bool NativeControl::OwnPopupIsOpen() const
{
    // A pop-up is a window of its own: look for the control along its Qt parents.
    for (QObject* object = QApplication::activePopupWidget(); object != nullptr; object = object->parent()) {
        if (object == m_widget)
            return true;
    }
    return false;
}

bool NativeControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    result = 0;
    if (IsKeyDown(message) || IsKeyUp(message) || IsCharacter(message) || IsMouseButtonOrMove(message) ||
        IsWheel(message) || message == WM_SETFOCUS || message == WM_KILLFOCUS || message == WM_PAINT)
        return PassInput(message, wParam, result);
    switch (message) {
    case WM_SETCURSOR:
        return true; // the widget shows its own cursor (an I-beam over text)
    case WM_ERASEBKGND:
        result = 1; // the widget paints its background itself
        return true;
    case WM_SETTEXT:
        SetControlText(reinterpret_cast<const char*>(lParam));
        result = 1;
        return true;
    default:
        return false;
    }
}

void NativeControl::SetControlText(const char* text)
{
    if (m_window != nullptr)
        CWnd::Impl::Of(*m_window).text = text != nullptr ? text : "";
}

void NativeControl::MirrorText(const QString& text)
{
    if (m_window != nullptr)
        CWnd::Impl::Of(*m_window).text = text.toUtf8().constData();
}

bool NativeControl::PassInput(UINT message, WPARAM wParam, LRESULT& result)
{
    NativeEventRecord* record = m_window != nullptr ? CWnd::Impl::Of(*m_window).nativeEvent : nullptr;
    bool recorded = record != nullptr && !record->delivered && MadeFrom(*record, message, wParam);
    if (recorded && IsKeyDown(message) && !record->characters.empty()) {
        record->keyDownPassed = true; // the widget types on key press: wait for the characters
        return true;
    }
    if (recorded && IsCharacter(message) && !(record->keyDownPassed && record->characters.size() == 1))
        recorded = false; // a lone or changed character is typed by itself
    if (recorded) {
        Deliver(*record);
        return true;
    }
    if (!m_widget)
        return true;
    if (IsCharacter(message)) {
        UINT ch = static_cast<UINT>(wParam);
        char32_t code = static_cast<char32_t>(ch);
        QKeyEvent typed(QEvent::KeyPress, QtKeyForCharacter(ch), HeldModifiers(), QString::fromUcs4(&code, 1));
        SendPastFilter(m_widget, &typed);
    } else if (IsKeyDown(message) && QtNavigationKey(static_cast<UINT>(wParam)) != 0) {
        QKeyEvent pressed(QEvent::KeyPress, QtNavigationKey(static_cast<UINT>(wParam)), HeldModifiers());
        SendPastFilter(m_widget, &pressed);
    }
    result = 0;
    return true;
}

void NativeControl::Deliver(NativeEventRecord& record)
{
    record.delivered = true;
    CWnd::Impl* impl = m_window != nullptr ? &CWnd::Impl::Of(*m_window) : nullptr;
    // A painter opened by a CPaintDC during this WM_PAINT must pause while the widget paints.
    QPainter* painter = impl != nullptr && record.event->type() == QEvent::Paint ? impl->controlPainter.get() : nullptr;
    bool resume = painter != nullptr && painter->isActive();
    if (resume)
        painter->end();
    SendPastFilter(record.receiver, record.event);
    if (resume && impl->controlPaintWidget != nullptr && painter->begin(impl->controlPaintWidget))
        painter->setClipRegion(impl->paintRegion);
}

bool NativeControl::NotifyParent(UINT code)
{
    if (m_window == nullptr || !IsWindow(m_window))
        return false;
    CWnd* window = m_window;
    if (CWnd* parent = window->GetParent())
        SendMessage(parent, WM_COMMAND, MAKEWPARAM(window->GetDlgCtrlID(), code), reinterpret_cast<LPARAM>(window));
    return IsWindow(window) && m_window == window;
}

LRESULT NativeControl::NotifyParent(NMHDR& header, UINT code)
{
    if (m_window == nullptr || !IsWindow(m_window))
        return 0;
    CWnd* parent = m_window->GetParent();
    if (parent == nullptr)
        return 0;
    header.hwndFrom = m_window;
    header.idFrom = m_window->GetDlgCtrlID();
    header.code = code;
    return SendMessage(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

// ---- Creation -----------------------------------------------------------------------------

NativeControl* CreateNativeControl(CWnd& window, CHostWidget& host, const char* className,
                                   const CREATESTRUCT& cs, bool& refused)
{
    using Creator = NativeControl* (*)(CWnd&, CHostWidget&, const CREATESTRUCT&);
    static constexpr std::pair<const char*, Creator> kClasses[] = {
        {kEditClass, &CreateEditControl},       {kButtonClass, &CreateButtonControl},
        {kStaticClass, &CreateStaticControl},   {kComboBoxClass, &CreateComboControl},
        {kUpDownClass, &CreateUpDownControl},   {kMonthCalClass, &CreateMonthCalControl},
    };
    refused = false;
    if (className == nullptr)
        return nullptr;
    for (const auto& [name, create] : kClasses) {
        if (!SameClassName(name, className))
            continue;
        NativeControl* control = create(window, host, cs);
        refused = control == nullptr;
        return control;
    }
    return nullptr;
}

} // namespace Ombrel::Internal
