#include "ViewerFrame.h"

#include "TableView.h"
#include "ViewerCommands.h"

namespace Ombrel::Viewer {

struct CViewerFrame::Impl
{
    std::unique_ptr<CTableView> view;
};

CViewerFrame::CViewerFrame() : m_impl(std::make_unique<Impl>()) {}

CViewerFrame::~CViewerFrame()
{
    if (IsWindow(this))
        DestroyWindow();
}

bool CViewerFrame::Create(const std::string& title, const CRect& rect)
{
    if (IsWindow(this) || !CreateFrame(title.c_str(), rect))
        return false;
    const int file = AddMenu("&File");
    AddMenuItem(file, ID_FILE_CANCEL_LOAD, "&Cancel loading", "Esc");
    AddMenuSeparator(file);
    AddMenuItem(file, ID_FILE_PRINT_PREVIEW, "Print pre&view...", "Ctrl+F2");
    AddMenuItem(file, ID_FILE_PRINT, "&Print...", "Ctrl+P");
    AddMenuSeparator(file);
    AddMenuItem(file, ID_APP_EXIT, "E&xit", "Ctrl+Q");
    // While the grid has the keyboard its key manager takes these keys itself.
    const int edit = AddMenu("&Edit");
    AddMenuItem(edit, ID_EDIT_COPY, "&Copy", "Ctrl+C");
    AddMenuItem(edit, ID_EDIT_SELECT_ALL, "Select &all", "Ctrl+A");
    const int viewMenu = AddMenu("&View");
    AddMenuItem(viewMenu, ID_VIEW_COLUMNS, "&Columns...", "Ctrl+Shift+C");

    auto view = std::make_unique<CTableView>();
    if (!view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, rect.Width(), rect.Height()), this,
                      AFX_IDW_PANE_FIRST) ||
        !SetView(view.get())) {
        DestroyWindow();
        return false;
    }
    m_impl->view = std::move(view);
    return true;
}

CTableView* CViewerFrame::GetTableView() const
{
    CTableView* view = m_impl->view.get();
    return IsWindow(view) ? view : nullptr;
}

} // namespace Ombrel::Viewer
