#include "MainFrame.h"

#include "DemoPrinting.h"
#include "DemoView.h"

namespace Ombrel::Demo {
namespace {

constexpr UINT_PTR kCloseTimer = 1;

constexpr const char* kAboutText =
    "Corvane\n\n"
    "A demonstration of the Ombrel data grid: typed fields declared once per class, "
    "multi-level sorting, selection, and rows that follow changes made on other threads.\n\n"
    "View > Live updates lets two worker threads change the objects.\n\n"
    "Drag selected rows to move them (onto a row: as its children; near a row's edge: before "
    "or after it), hold Ctrl to copy, drag them into another application as text, or into "
    "the grid of File > New window.";

} // namespace

struct CMainFrame::Impl
{
    std::unique_ptr<CDemoView> view;
    std::function<void()> beforeClose;
};

CMainFrame::CMainFrame() : m_impl(std::make_unique<Impl>()) {}

CMainFrame::~CMainFrame()
{
    if (IsWindow(this))
        DestroyWindow();
}

bool CMainFrame::Create(CDemoDocument& document, const CRect& rect)
{
    if (IsWindow(this) || !CreateFrame(kTitle, rect))
        return false;
    int file = AddMenu("&File");
    AddMenuItem(file, ID_FILE_NEW, "&New window", "Ctrl+N");
    AddMenuSeparator(file);
    AddPrintMenuItems(*this, file);
    AddMenuItem(file, ID_APP_EXIT, "E&xit", "Ctrl+Q");
    // While the grid has the keyboard its key manager takes these keys itself, with the same
    // effect; the menu items and their accelerators serve everywhere else in the frame.
    int edit = AddMenu("&Edit");
    AddMenuItem(edit, ID_EDIT_COPY, "&Copy", "Ctrl+C");
    AddMenuItem(edit, ID_EDIT_CUT, "Cu&t", "Ctrl+X");
    AddMenuItem(edit, ID_EDIT_PASTE, "&Paste", "Ctrl+V");
    AddMenuSeparator(edit);
    AddMenuItem(edit, ID_EDIT_SELECT_ALL, "Select &all", "Ctrl+A");
    int view = AddMenu("&View");
    AddMenuItem(view, ID_VIEW_LIVE_UPDATES, "&Live updates", "F5");
    AddMenuItem(view, ID_VIEW_COLUMNS, "&Columns...", "Ctrl+Shift+C");
    int help = AddMenu("&Help");
    AddMenuItem(help, ID_APP_ABOUT, "&About Corvane...", "F1");
    AddToolBarButton(ID_VIEW_LIVE_UPDATES, "Live updates", "Start or stop changing the objects from worker threads");
    AddToolBarSeparator();
    AddToolBarButton(ID_APP_ABOUT, "About", "About Corvane");

    auto demoView = std::make_unique<CDemoView>(document);
    if (!demoView->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, rect.Width(), rect.Height()),
                          this, AFX_IDW_PANE_FIRST) ||
        !SetView(demoView.get())) {
        DestroyWindow();
        return false;
    }
    m_impl->view = std::move(demoView);
    m_impl->view->ShowStatus();
    return true;
}

CDemoView* CMainFrame::GetDemoView() const
{
    CDemoView* view = m_impl->view.get();
    return IsWindow(view) ? view : nullptr;
}

bool CMainFrame::CloseAfter(UINT milliseconds, std::function<void()> beforeClose)
{
    m_impl->beforeClose = std::move(beforeClose);
    return SetTimer(kCloseTimer, milliseconds) != 0;
}

bool CMainFrame::OnCmdMsg(UINT id, int code)
{
    if (CDemoView* view = GetDemoView(); view != nullptr && HandlePrintCommand(id, view->GetGrid()))
        return true;
    if (id == ID_APP_ABOUT) {
        AfxMessageBox(kAboutText, MB_OK | MB_ICONINFORMATION);
        return true;
    }
    return CFrameWnd::OnCmdMsg(id, code);
}

void CMainFrame::OnTimer(UINT_PTR id)
{
    if (id != kCloseTimer) {
        CFrameWnd::OnTimer(id);
        return;
    }
    KillTimer(kCloseTimer);
    if (auto beforeClose = std::move(m_impl->beforeClose))
        beforeClose();
    SendMessage(WM_CLOSE);
}

} // namespace Ombrel::Demo
