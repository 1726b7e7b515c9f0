#pragma once

#include <functional>
#include <memory>

#include "ombrel/Platform.h"

namespace Ombrel::GUI {
class CGrid;
}

namespace Ombrel::Demo {

class CDemoDocument;

// The demonstration's only view: a child window filled by one grid over the document's
// objects, with the columns Name, Long, Int64, Double, Date and City, sorted by Long
// (ascending) and then Int64 (descending), the rows at positions 3 and 4 and the row of
// "object 7" selected. Selected rows can be dragged: within the grid, to the grid of another
// window of the demonstration, or out as text.
//
// It also runs the live updates (worker threads changing the objects) while the user wants
// them. Destroying the window stops them and removes every row, so the document's objects
// may be destroyed afterwards.
class CDemoView : public CWnd
{
public:
    static constexpr UINT kGridId = 1000;

    // The document must outlive the window.
    explicit CDemoView(CDemoDocument& document);
    ~CDemoView() override; // destroys the window first, while this is still a CDemoView

    CDemoDocument& GetDocument() const;
    // The grid; a window only while the view is one.
    GUI::CGrid& GetGrid() const;

    // Starts or stops the worker threads and shows the state in the frame's status bar.
    void SetLiveUpdates(bool on);
    bool IsLiveUpdating() const;
    // Puts the object count and the live-update state into the parent frame's status bar.
    void ShowStatus();
    // Opens the date editor on the first row's Date cell (for --screenshot-edit); false when
    // there is no row or the edit cannot start.
    bool EditDateOfFirstRow();
    // Opens the header configuration dialog on the grid's header (View > Columns...) and returns
    // how it closed (IDOK, IDCANCEL, -1 when it could not open). `whileOpen`, when given, runs
    // once the dialog is up and laid out, and then the dialog is cancelled (for screenshots).
    INT_PTR OpenColumnsDialog(std::function<void(CWnd& dialog)> whileOpen = {});

    int OnCreate(CREATESTRUCT* cs) override;
    void OnDestroy() override;
    void OnSize(UINT type, int cx, int cy) override;
    bool OnCmdMsg(UINT id, int code) override;

private:
    bool BuildGrid();

    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::Demo
