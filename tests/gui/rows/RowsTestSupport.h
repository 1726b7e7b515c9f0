#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "ombrel/common/DataObject.h"
#include "ombrel/gui/rows/GridRows.h"
#include "ombrel/gui/rows/GridRowsOwner.h"

namespace Ombrel::GUI::Testing {

// A data object whose values live in a locked map, so workers may change them while the window
// thread reads them. Set() stores and notifies, as a data class's setter does.
class CTestObject : public Common::CDataObject
{
public:
    explicit CTestObject(std::string name = {}) : m_name(std::move(name)) {}
    ~CTestObject() override { NotifyDestroy(); }

    const std::string& GetName() const { return m_name; }
    void Put(int fieldId, const Common::CValue& value); // stores without notifying
    void Set(int fieldId, const Common::CValue& value); // stores and notifies
    // A getter that throws for this field from now on.
    void MakeFieldThrow(int fieldId);

    Common::CValue GetValue(int id) override;

private:
    std::mutex m_lock;
    std::map<int, Common::CValue> m_values;
    int m_throwingField = Common::NoField;
    std::string m_name;
};

// The grid side of rows, recorded for tests: notifications, repaints, focus, top row, layout.
class CTestOwner final : public IGridRowsOwner
{
public:
    struct Notification
    {
        int code;
        CGridItem* row;
    };

    CGrid* GetGrid() const override { return nullptr; }
    void NotifyRow(int code, CGridItem* row) override { notifications.push_back({code, row}); }
    void RepaintRow(CGridItem* row) override { repaintedRows.push_back(row); }
    void RepaintCell(CGridItem* row, int fieldId) override
    {
        repaintedCells.push_back({row, fieldId});
    }
    void RepaintPositions(int, int first, int last) override
    {
        repaintedRanges.push_back({first, last});
    }
    void RepaintAll() override { ++fullRepaints; }
    RowPosition GetFocus() const override { return focus; }
    void SetFocus(RowPosition newFocus) override { focus = newFocus; }
    void ClearFocus() override { focus = RowPosition{}; }
    int GetTopRow() const override { return topRow; }
    void SetTopRow(int index) override { topRow = index; }
    void OnRowsEntered(int, int, int) override {}
    void OnRowsLeft(int, int, int) override {}
    void StartLayoutTimer() override { ++layoutTimerStarts; }
    void PostDeferredLayout() override { ++deferredLayoutPosts; }
    void UpdateLayout() override { ++layoutUpdates; }
    SelectionMode GetSelectionMode() const override { return selectionMode; }
    std::vector<CSortInfo> GetHeaderSortLevels() const override { return headerLevels; }
    void OnRowChanged(CGridItem*, int) override {}

    // Codes sent for `row`, in order.
    std::vector<int> CodesFor(const CGridItem* row) const;
    int CountOf(int code) const;

    std::vector<Notification> notifications;
    std::vector<CGridItem*> repaintedRows;
    std::vector<std::pair<CGridItem*, int>> repaintedCells;
    std::vector<std::pair<int, int>> repaintedRanges;
    int fullRepaints = 0;
    RowPosition focus;
    int topRow = -1;
    int layoutTimerStarts = 0;
    int deferredLayoutPosts = 0;
    int layoutUpdates = 0;
    SelectionMode selectionMode = SelectionMode::Multiple;
    std::vector<CSortInfo> headerLevels;
};

// Walks both containers of a grid and reports every broken invariant, one line each (empty
// when all hold): tree links and cached slots, the visible sequence against the tree (pre-order,
// expansion, filter), cached positions, visible-descendant counts, sibling order in sorted
// containers, the registered and selected sets, and agreement with the dispatcher's registry.
// With `keysCurrent`, cached sort keys must also equal the objects' present values.
std::string CheckRows(CGridRows& rows, bool keysCurrent = false);

// Data objects shown by a container's visible sequence, by name, in visible order.
std::vector<std::string> VisibleNames(const CGridRows& rows, int rowType = ROW_NORMAL);

} // namespace Ombrel::GUI::Testing
