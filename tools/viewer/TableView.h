#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ombrel/Platform.h"

#include "TableLoader.h"

namespace Ombrel::GUI {
class CGrid;
}

namespace Ombrel::Viewer {

// The viewer's view: one grid over the rows of a table file, filled by a CTableLoader while
// the file is read. The worker never waits for this window: columns, batches of rows, progress
// and the end are posted to it, and the window thread adds each burst of rows in one AddMany. The view owns the rows' objects; destroying the
// window cancels the load, waits for the worker and removes the rows before the objects go.
class CTableView : public CWnd
{
public:
    static constexpr UINT kGridId = 1000;

    CTableView();
    ~CTableView() override;

    GUI::CGrid& GetGrid() const;

    // Starts loading `path`; the rows are sorted by `sortColumns` (names, "-" first for
    // descending) once the columns are known. False when a load is running or the window does
    // not exist.
    bool Load(const std::string& path, std::vector<std::string> sortColumns);
    void CancelLoad();
    // True once the load has ended (completely, cancelled or failed) and its rows are in the grid.
    bool IsLoadFinished() const;
    std::optional<TableLoadSummary> GetSummary() const;
    std::size_t GetColumnCount() const;
    // The status line: progress while loading, then the outcome.
    std::string DescribeStatus() const;

    int OnCreate(CREATESTRUCT* cs) override;
    void OnDestroy() override;
    void OnSize(UINT type, int cx, int cy) override;
    bool OnCmdMsg(UINT id, int code) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnColumnsReady();
    // The load starts again with other kinds: the rows shown so far go.
    void OnRestart();
    // Type-ahead searches the column the rows are sorted by, where a typed prefix finds a block
    // of neighbouring rows; the first column while the rows are unsorted.
    void SearchTheSortedColumn();
    void OnRows();
    // Makes room in the grid for the rows a load expects in all.
    void ReserveRowsFor(std::uint64_t expectedRows);
    void OnProgress();
    void OnFinished();
    void FitColumns();
    // After the load: the lists of the hand-over and the memory the load freed go back.
    void ReleaseLoadMemory();
    void ShowStatus();

    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::Viewer
