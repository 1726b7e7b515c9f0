// The application skeleton: frame window, application object, message box, Qt hosting and
// window rendering.

#include "RecordingWnd.h"
#include "support/Harness.h"

#include "ombrel/platform/DC.h"
#include "ombrel/platform/FrameWnd.h"
#include "ombrel/platform/MessageLoop.h"
#include "ombrel/platform/PaintDC.h"
#include "ombrel/platform/QtInterop.h"
#include "ombrel/platform/WinApp.h"
#include "ombrel/platform/WindowImage.h"
#include "ombrel/platform/WindowMessaging.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <memory>

namespace Ombrel::Test {
namespace {

constexpr UINT kCmdOpen = 100;
constexpr UINT kCmdFrameOnly = 101;

class CCommandView : public CRecordingWnd
{
public:
    std::vector<UINT> commands;
    bool OnCmdMsg(UINT id, int) override
    {
        if (id != kCmdOpen)
            return false;
        commands.push_back(id);
        return true;
    }
};

class CCommandFrame : public CFrameWnd
{
public:
    std::vector<UINT> commands;
    bool OnCmdMsg(UINT id, int) override
    {
        if (id != kCmdOpen && id != kCmdFrameOnly)
            return false;
        commands.push_back(id);
        return true;
    }
};

QAction* ToolBarAction(CWnd& frame, UINT id)
{
    for (QToolBar* bar : GetWidget(frame)->findChildren<QToolBar*>()) {
        for (QAction* action : bar->actions()) {
            if (action->data().toUInt() == id)
                return action;
        }
    }
    return nullptr;
}

TEST(FrameWndTest, CommandsGoToTheViewFirstThenTheFrame)
{
    CCommandFrame frame;
    ASSERT_TRUE(frame.CreateFrame("Corvane", CRect(0, 0, 500, 400)));
    EXPECT_EQ(0, frame.AddMenu("&File"));
    EXPECT_TRUE(frame.AddMenuItem(0, kCmdOpen, "&Open", "Ctrl+O"));
    EXPECT_TRUE(frame.AddMenuItem(0, ID_APP_EXIT, "E&xit"));
    EXPECT_FALSE(frame.AddMenuItem(3, kCmdOpen, "nowhere"));
    EXPECT_TRUE(frame.AddToolBarButton(kCmdOpen, "Open"));
    EXPECT_TRUE(frame.AddToolBarButton(kCmdFrameOnly, "Other"));
    CCommandView view;
    ASSERT_TRUE(view.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), &frame,
                            AFX_IDW_PANE_FIRST));
    ASSERT_TRUE(frame.SetView(&view));
    EXPECT_EQ(&view, frame.GetView());

    ToolBarAction(frame, kCmdOpen)->trigger();
    ToolBarAction(frame, kCmdFrameOnly)->trigger();
    EXPECT_EQ(std::vector<UINT>{kCmdOpen}, view.commands);
    EXPECT_EQ(std::vector<UINT>{kCmdFrameOnly}, frame.commands);

    // A menu shortcut acts only after the windows below the frame have seen the key.
    view.onPreTranslate = [](MSG& msg) { return msg.message == WM_KEYDOWN && msg.wParam == 'O'; };
    Key(view, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(1u, view.commands.size());
    view.onPreTranslate = nullptr;
    Key(view, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(2u, view.commands.size());
    EXPECT_EQ(0, view.Count(WM_KEYDOWN)); // consumed both times, by the view, then by the frame

    // The exit command destroys the frame from inside its own menu action.
    QAction* exit = nullptr;
    for (QAction* action : GetWidget(frame)->findChildren<QAction*>()) {
        if (action->data().toUInt() == ID_APP_EXIT)
            exit = action;
    }
    ASSERT_NE(nullptr, exit);
    exit->trigger();
    EXPECT_FALSE(IsWindow(&frame));
    EXPECT_FALSE(IsWindow(&view));
}

TEST(FrameWndTest, ViewFillsTheAreaBetweenToolBarAndStatusBarAndFollowsTheFrame)
{
    CFrameWnd frame;
    ASSERT_TRUE(frame.CreateFrame("Corvane", CRect(0, 0, 500, 400)));
    frame.AddMenu("&File");
    frame.AddToolBarButton(kCmdOpen, "Open");
    frame.SetStatusText("Ready");
    EXPECT_EQ(CString("Ready"), frame.GetStatusText());
    CRecordingWnd view;
    ASSERT_TRUE(view.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), &frame,
                            AFX_IDW_PANE_FIRST));
    ASSERT_TRUE(frame.SetView(&view));
    frame.ShowWindow(SW_SHOW);
    ASSERT_TRUE(PumpUntil([&] { return view.GetClientRect().Width() == 500; }));
    int height = view.GetClientRect().Height();
    EXPECT_GT(height, 300);
    EXPECT_LT(height, 400);
    frame.MoveWindow(0, 0, 600, 500);
    ASSERT_TRUE(PumpUntil([&] { return view.GetClientRect().Width() == 600; }));
    EXPECT_EQ(height + 100, view.GetClientRect().Height());
    MSG lastSize = view.Received(WM_SIZE).back();
    EXPECT_EQ(MAKELPARAM(600, height + 100), lastSize.lParam);

    CRecordingWnd stranger;
    ASSERT_TRUE(stranger.CreateEx(0, nullptr, nullptr, WS_POPUP, CRect(0, 0, 5, 5), nullptr, 0));
    EXPECT_FALSE(frame.SetView(&stranger)); // not a child of the frame
}

class CSkeletonApp : public CWinApp
{
public:
    CSkeletonApp() : CWinApp("Skeleton") {}
    bool initialized = false;
    bool InitInstance() override
    {
        initialized = true;
        m_frame = std::make_unique<CFrameWnd>();
        if (!m_frame->CreateFrame("Skeleton", CRect(0, 0, 200, 100)))
            return false;
        SetMainWnd(m_frame.get());
        m_frame->PostMessage(WM_COMMAND, MAKEWPARAM(ID_APP_EXIT, 0));
        return true;
    }

private:
    std::unique_ptr<CFrameWnd> m_frame;
};

TEST(WinAppTest, RunEndsWhenTheMainWindowIsDestroyed)
{
    CSkeletonApp app;
    EXPECT_EQ(&app, AfxGetApp());
    char name[] = "skeleton";
    char argument[] = "--headless";
    char* argv[] = {name, argument, nullptr};
    EXPECT_EQ(0, app.Main(2, argv));
    EXPECT_TRUE(app.initialized);
    EXPECT_EQ(nullptr, app.GetMainWnd());
    ASSERT_EQ(1u, app.GetArguments().size());
    EXPECT_EQ(CString("--headless"), app.GetArguments()[0]);
}

TEST(WinAppTest, MessageBoxReturnsTheChosenButton)
{
    QTimer::singleShot(0, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box != nullptr)
            box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(IDNO, AfxMessageBox("Continue?", MB_YESNO | MB_ICONQUESTION));
}

TEST(QtInteropTest, WindowInsideAQtLayoutFollowsItAndEndsWithIt)
{
    auto host = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(host.get());
    layout->setContentsMargins(0, 0, 0, 0);
    CRecordingWnd window;
    ASSERT_TRUE(CreateChildOfWidget(window, host.get(), WS_VISIBLE, CRect(0, 0, 10, 10), 7));
    EXPECT_EQ(nullptr, window.GetParent());
    EXPECT_EQ(7u, window.GetDlgCtrlID());
    QWidget* widget = GetWidget(window);
    ASSERT_NE(nullptr, widget);
    EXPECT_EQ(&window, GetWindowOfWidget(widget));
    layout->addWidget(widget);
    host->resize(320, 240);
    host->show();
    ASSERT_TRUE(PumpUntil([&] { return window.GetClientRect() == CRect(0, 0, 320, 240); }));
    EXPECT_EQ(MAKELPARAM(320, 240), window.Received(WM_SIZE).back().lParam);
    host.reset(); // Qt deletes the widget: the window is destroyed with it
    EXPECT_FALSE(IsWindow(&window));
    EXPECT_EQ(1, window.Count(WM_DESTROY));
    EXPECT_EQ(nullptr, GetWidget(window));
}

TEST(WindowImageTest, RendersAWindowWithTextIntoAPng)
{
    CRecordingWnd window;
    ASSERT_TRUE(window.CreateEx(0, nullptr, nullptr, WS_POPUP, CRect(0, 0, 240, 60), nullptr, 0));
    window.onPaint = [&] {
        CPaintDC dc(&window);
        dc.FillSolidRect(CRect(0, 0, 240, 60), RGB(255, 255, 255));
        dc.SetTextColor(RGB(0, 0, 0));
        dc.SetBkMode(TRANSPARENT);
        CRect text(8, 8, 232, 52);
        dc.DrawText("Ombrel renders 12345", text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    };
    QString path = QDir::temp().filePath("ombrel-window-image-test.png");
    ASSERT_TRUE(RenderWindowToPng(window, path.toUtf8().constData()));
    QImage image(path);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(QSize(240, 60), image.size());
    int dark = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            dark += qGray(image.pixel(x, y)) < 96 ? 1 : 0;
    }
    EXPECT_GT(dark, 40); // glyphs were drawn
    CRecordingWnd messageOnly;
    ASSERT_TRUE(messageOnly.CreateMessageOnly(nullptr));
    EXPECT_FALSE(RenderWindowToPng(messageOnly, path.toUtf8().constData()));
}

} // namespace
} // namespace Ombrel::Test
