#pragma once

#include <functional>
#include <memory>

#include "ombrel/Platform.h"

namespace Ombrel::Demo {

class CDemoDocument;
class CDemoView;

// Command identifiers of the demonstration's own menu items and tool bar buttons.
constexpr UINT ID_VIEW_LIVE_UPDATES = 0x8010;
constexpr UINT ID_VIEW_COLUMNS = 0x8011;
// The platform's standard File command, here: open another window over a document of its
// own, so that rows can be dragged between two grids.
constexpr UINT ID_FILE_NEW = 0xE100;
// The platform's standard Edit commands.
constexpr UINT ID_EDIT_COPY = 0xE122;
constexpr UINT ID_EDIT_CUT = 0xE123;
constexpr UINT ID_EDIT_PASTE = 0xE125;
constexpr UINT ID_EDIT_SELECT_ALL = 0xE12A;

// The demonstration's main window, titled "Corvane": menu (File: New window, Print preview,
// Print, Exit; Edit: Copy, Cut, Paste, Select all; View: Live updates; Help: About), tool bar,
// status bar, and the view over the document in between. File > New window reaches the
// application (CDemoApp).
//
// Commands reach the view first (live updates), then this frame (about box), then the
// framework (Exit closes the frame). Destroying the frame destroys the view, which stops live
// updates and removes its rows before anything else goes.
class CMainFrame : public CFrameWnd
{
public:
    static constexpr const char* kTitle = "Corvane";
    static constexpr int kDefaultWidth = 900;
    static constexpr int kDefaultHeight = 420;

    CMainFrame();
    ~CMainFrame() override; // destroys the window first, while this is still a CMainFrame

    // Creates the window (hidden), its menu, tool bar, status bar and the view over
    // `document`, which must outlive the window. False when any window cannot be created.
    bool Create(CDemoDocument& document, const CRect& rect);
    // Null until Create succeeded and after the window is destroyed.
    CDemoView* GetDemoView() const;

    // Calls `beforeClose` (may be empty) and then closes the window after `milliseconds`.
    bool CloseAfter(UINT milliseconds, std::function<void()> beforeClose);

    bool OnCmdMsg(UINT id, int code) override;
    void OnTimer(UINT_PTR id) override;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::Demo
