#pragma once

#include "ombrel/base/String.h"
#include "ombrel/platform/Wnd.h"

#include <memory>

namespace Ombrel {

// A top-level application window with a menu bar, a tool bar, a status bar and one client
// view between them (a child window that the frame keeps sized to that area).
//
// Menu items and tool bar buttons carry command identifiers; choosing one sends WM_COMMAND
// (wParam = MAKEWPARAM(id, 0)) to the frame, which routes the command to the view's
// OnCmdMsg, then to its own OnCmdMsg, then to the application's. ID_APP_EXIT closes the frame
// when nobody handles it. Menu shortcuts act as accelerators: the frame's PreTranslateMessage
// runs them, after the windows below it have seen the key. When the application's main window is destroyed, the application's
// message loop is asked to quit.
class CFrameWnd : public CWnd
{
public:
    CFrameWnd();
    ~CFrameWnd() override;

    bool CreateFrame(const char* title, const CRect& rect, DWORD style = WS_OVERLAPPEDWINDOW);

    // Returns the menu's index, or -1 when the frame does not exist.
    int AddMenu(const char* title);
    // `shortcut` is a key sequence such as "Ctrl+Q" (may be null).
    bool AddMenuItem(int menu, UINT commandId, const char* text, const char* shortcut = nullptr);
    bool AddMenuSeparator(int menu);
    bool AddToolBarButton(UINT commandId, const char* text, const char* toolTip = nullptr);
    bool AddToolBarSeparator();
    void SetStatusText(const char* text);
    CString GetStatusText() const;

    // `view` must be a child window of this frame; null removes the current view from the
    // layout.
    bool SetView(CWnd* view);
    CWnd* GetView() const;

    bool PreTranslateMessage(MSG* msg) override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnNcDestroy() override;

private:
    struct Impl;
    bool EnsureLayout();
    std::unique_ptr<Impl> m_frame;
};

} // namespace Ombrel
