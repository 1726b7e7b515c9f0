#include "ombrel/platform/WinApp.h"

#include "ombrel/platform/MessageLoop.h"
#include "ombrel/platform/WindowMessaging.h"
#include "ombrel/platform/Wnd.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdlib>
#include <memory>

namespace Ombrel {
namespace {
CWinApp* g_app = nullptr; // the application object; set by its constructor
}

struct CWinApp::Impl
{
    CString name;
    std::vector<CString> arguments;
    CWnd* mainWnd = nullptr;
    int exitCode = 0;
    int argc = 0; // QApplication keeps a reference to it
    std::unique_ptr<QApplication> application;
};

CWinApp::CWinApp(const char* appName) : m_impl(std::make_unique<Impl>())
{
    m_impl->name = appName != nullptr ? appName : "Ombrel";
    if (g_app == nullptr)
        g_app = this;
}

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
}

bool CWinApp::InitInstance()
{
    return true;
}

int CWinApp::Run()
{
    return RunMessageLoop();
}

int CWinApp::ExitInstance()
{
    return m_impl->exitCode;
}

bool CWinApp::OnCmdMsg(UINT, int)
{
    return false;
}

int CWinApp::Main(int argc, char** argv)
{
    Impl& impl = *m_impl;
    for (int i = 1; i < argc; ++i)
        impl.arguments.emplace_back(argv[i]);
    if (QApplication::instance() == nullptr) {
        impl.argc = argc;
        impl.application = std::make_unique<QApplication>(impl.argc, argv);
    }
    // Only PostQuitMessage (the main window's destruction) ends the loop.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName(QString::fromUtf8(impl.name.GetString()));
    if (InitInstance())
        impl.exitCode = Run();
    else
        impl.exitCode = 1;
    int result = ExitInstance();
    if (impl.mainWnd != nullptr && IsWindow(impl.mainWnd))
        impl.mainWnd->DestroyWindow();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    impl.application.reset();
    return result;
}

CWnd* CWinApp::GetMainWnd() const
{
    return m_impl->mainWnd;
}

void CWinApp::SetMainWnd(CWnd* window)
{
    m_impl->mainWnd = window;
}

const CString& CWinApp::GetAppName() const
{
    return m_impl->name;
}

const std::vector<CString>& CWinApp::GetArguments() const
{
    return m_impl->arguments;
}

CWinApp* AfxGetApp()
{
    return g_app;
}

int AfxMessageBox(const char* text, UINT type)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(g_app != nullptr ? QString::fromUtf8(g_app->GetAppName().GetString())
                                        : QStringLiteral("Ombrel"));
    box.setText(QString::fromUtf8(text != nullptr ? text : ""));
    switch (type & 0xF0) {
    case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    switch (type & 0x0F) {
    case MB_OKCANCEL: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MB_YESNOCANCEL: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel); break;
    case MB_YESNO: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    default: box.setStandardButtons(QMessageBox::Ok); break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok: return IDOK;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    default: return IDCANCEL; // Cancel, or the box was closed
    }
}

bool PrepareDisplay()
{
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const bool display = (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
    if (!display && std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return display;
}

} // namespace Ombrel
