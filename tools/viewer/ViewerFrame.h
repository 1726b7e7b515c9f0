#pragma once

#include <memory>
#include <string>

#include "ombrel/Platform.h"

namespace Ombrel::Viewer {

class CTableView;

// The viewer's main window, titled with the file's name: menu (File: Cancel loading, Print
// preview, Print, Exit; Edit: Copy, Select all), the status bar that shows the load, and the
// table view between.
class CViewerFrame : public CFrameWnd
{
public:
    static constexpr int kDefaultWidth = 1000;
    static constexpr int kDefaultHeight = 600;

    CViewerFrame();
    ~CViewerFrame() override; // destroys the window first, while this is still a CViewerFrame

    // Creates the window (hidden) with its menus and the view. False when a window cannot be made.
    bool Create(const std::string& title, const CRect& rect);
    // Null until Create succeeded and after the window is destroyed.
    CTableView* GetTableView() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::Viewer
