#include "ombrel/platform/FrameWnd.h"

#include "ombrel/platform/MessageLoop.h"
#include "ombrel/platform/WinApp.h"
#include "ombrel/platform/WindowMessaging.h"
#include "ombrel/platform/qt/HostWidget.h"
#include "ombrel/platform/qt/WndImpl.h"

#include <QAction>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include <vector>

namespace Ombrel {

// Layout of the frame's widget, top to bottom: menu bar (the layout's menu bar), tool bar,
// view (stretching), status bar. The Qt objects are children of the frame's widget.
struct CFrameWnd::Impl
{
    QPointer<QVBoxLayout> layout;
    QPointer<QMenuBar> menuBar;
    QPointer<QToolBar> toolBar;
    QPointer<QStatusBar> statusBar;
    QPointer<QLabel> statusLabel;
    std::vector<QPointer<QMenu>> menus;
    CWnd* view = nullptr;
};

namespace {

constexpr int kViewSlot = 1; // layout index of the view: after the tool bar

void ConnectCommand(QAction* action, CWnd* frame, UINT commandId)
{
    QObject::connect(action, &QAction::triggered, action, [frame, commandId] {
        if (IsWindow(frame))
            SendMessage(frame, WM_COMMAND, MAKEWPARAM(commandId, 0), 0);
    });
}

} // namespace

CFrameWnd::CFrameWnd() : m_frame(std::make_unique<Impl>()) {}

CFrameWnd::~CFrameWnd() = default;

bool CFrameWnd::CreateFrame(const char* title, const CRect& rect, DWORD style)
{
    if (!CreateEx(0, nullptr, title, style & ~WS_CHILD, rect, nullptr, 0))
        return false;
    return EnsureLayout();
}

bool CFrameWnd::EnsureLayout()
{
    Impl& frame = *m_frame;
    if (frame.layout)
        return true;
    QWidget* widget = CWnd::Impl::Of(*this).widget;
    if (widget == nullptr)
        return false;
    frame.layout = new QVBoxLayout(widget);
    frame.layout->setContentsMargins(0, 0, 0, 0);
    frame.layout->setSpacing(0);
    frame.menuBar = new QMenuBar(widget);
    frame.layout->setMenuBar(frame.menuBar);
    frame.toolBar = new QToolBar(widget);
    frame.layout->addWidget(frame.toolBar);
    frame.layout->addStretch(1); // stands in for the view until there is one
    frame.statusBar = new QStatusBar(widget);
    frame.statusLabel = new QLabel(frame.statusBar);
    frame.statusBar->addWidget(frame.statusLabel, 1);
    frame.layout->addWidget(frame.statusBar);
    return true;
}

int CFrameWnd::AddMenu(const char* title)
{
    if (!EnsureLayout())
        return -1;
    QMenu* menu = m_frame->menuBar->addMenu(QString::fromUtf8(title != nullptr ? title : ""));
    m_frame->menus.emplace_back(menu);
    return static_cast<int>(m_frame->menus.size()) - 1;
}

bool CFrameWnd::AddMenuItem(int menu, UINT commandId, const char* text, const char* shortcut)
{
    if (menu < 0 || menu >= static_cast<int>(m_frame->menus.size()) || !m_frame->menus[menu])
        return false;
    QAction* action = m_frame->menus[menu]->addAction(QString::fromUtf8(text != nullptr ? text : ""));
    if (shortcut != nullptr)
        action->setShortcut(QKeySequence(QString::fromUtf8(shortcut)));
    action->setData(commandId);
    ConnectCommand(action, this, commandId);
    return true;
}

bool CFrameWnd::AddMenuSeparator(int menu)
{
    if (menu < 0 || menu >= static_cast<int>(m_frame->menus.size()) || !m_frame->menus[menu])
        return false;
    m_frame->menus[menu]->addSeparator();
    return true;
}

bool CFrameWnd::AddToolBarButton(UINT commandId, const char* text, const char* toolTip)
{
    if (!EnsureLayout())
        return false;
    QAction* action = m_frame->toolBar->addAction(QString::fromUtf8(text != nullptr ? text : ""));
    if (toolTip != nullptr)
        action->setToolTip(QString::fromUtf8(toolTip));
    action->setData(commandId);
    ConnectCommand(action, this, commandId);
    return true;
}

bool CFrameWnd::AddToolBarSeparator()
{
    if (!EnsureLayout())
        return false;
    m_frame->toolBar->addSeparator();
    return true;
}

void CFrameWnd::SetStatusText(const char* text)
{
    if (EnsureLayout())
        m_frame->statusLabel->setText(QString::fromUtf8(text != nullptr ? text : ""));
}

CString CFrameWnd::GetStatusText() const
{
    if (!m_frame->statusLabel)
        return CString();
    return CString(m_frame->statusLabel->text().toStdString());
}

bool CFrameWnd::SetView(CWnd* view)
{
    if (!EnsureLayout())
        return false;
    Impl& frame = *m_frame;
    if (view != nullptr && (!IsWindow(view) || view->GetParent() != this))
        return false;
    if (frame.view == nullptr) {
        delete frame.layout->takeAt(kViewSlot); // the stretch
    } else if (IsWindow(frame.view)) {
        if (QWidget* old = CWnd::Impl::Of(*frame.view).widget)
            frame.layout->removeWidget(old);
    } // a destroyed view's widget has left the layout already
    frame.view = view;
    if (view == nullptr) {
        frame.layout->insertStretch(kViewSlot, 1);
        return true;
    }
    QWidget* widget = CWnd::Impl::Of(*view).widget;
    frame.layout->insertWidget(kViewSlot, widget, 1);
    frame.layout->activate();
    return true;
}

CWnd* CFrameWnd::GetView() const
{
    return IsWindow(m_frame->view) ? m_frame->view : nullptr;
}

bool CFrameWnd::PreTranslateMessage(MSG* msg)
{
    const QKeyEvent* key = CurrentKeyEvent();
    if (msg == nullptr || key == nullptr || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN))
        return CWnd::PreTranslateMessage(msg);
    QKeySequence pressed(key->keyCombination());
    for (const QPointer<QMenu>& menu : m_frame->menus) {
        if (!menu)
            continue;
        for (QAction* action : menu->actions()) {
            if (action->isEnabled() && !action->shortcut().isEmpty() && action->shortcut() == pressed) {
                action->trigger();
                return true;
            }
        }
    }
    return CWnd::PreTranslateMessage(msg);
}

bool CFrameWnd::OnCommand(WPARAM wParam, LPARAM)
{
    UINT id = LOWORD(wParam);
    int code = HIWORD(wParam);
    if (CWnd* view = GetView(); view != nullptr && view->OnCmdMsg(id, code))
        return true;
    if (OnCmdMsg(id, code))
        return true;
    if (CWinApp* app = AfxGetApp(); app != nullptr && app->OnCmdMsg(id, code))
        return true;
    if (id == ID_APP_EXIT) {
        SendMessage(WM_CLOSE);
        return true;
    }
    return false;
}

void CFrameWnd::OnNcDestroy()
{
    m_frame->view = nullptr;
    if (CWinApp* app = AfxGetApp(); app != nullptr && app->GetMainWnd() == this) {
        app->SetMainWnd(nullptr);
        PostQuitMessage(0);
    }
    CWnd::OnNcDestroy();
}

} // namespace Ombrel
