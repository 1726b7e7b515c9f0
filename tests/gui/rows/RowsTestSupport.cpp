#include "gui/rows/RowsTestSupport.h"

#include <set>
#include <sstream>
#include <stdexcept>

#include "ombrel/gui/rows/Dispatcher.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/gui/rows/ItemContainer.h"
#include "ombrel/gui/rows/VisibleSequence.h"

namespace Ombrel::GUI::Testing {

void CTestObject::Put(int fieldId, const Common::CValue& value)
{
    std::lock_guard guard(m_lock);
    m_values[fieldId] = value;
}

void CTestObject::Set(int fieldId, const Common::CValue& value)
{
    Put(fieldId, value);
    NotifyUpdate(fieldId);
}

void CTestObject::MakeFieldThrow(int fieldId)
{
    std::lock_guard guard(m_lock);
    m_throwingField = fieldId;
}

Common::CValue CTestObject::GetValue(int id)
{
    std::lock_guard guard(m_lock);
    if (id == m_throwingField)
        throw std::runtime_error("getter failed");
    const auto it = m_values.find(id);
    return it == m_values.end() ? Common::CValue() : it->second;
}

std::vector<int> CTestOwner::CodesFor(const CGridItem* row) const
{
    std::vector<int> codes;
    for (const Notification& n : notifications) {
        if (n.row == row)
            codes.push_back(n.code);
    }
    return codes;
}

int CTestOwner::CountOf(int code) const
{
    int count = 0;
    for (const Notification& n : notifications)
        count += n.code == code ? 1 : 0;
    return count;
}

namespace {

class CChecker
{
public:
    CChecker(CGridRows& rows, CItemContainer& container, bool keysCurrent)
        : m_rows(rows), m_container(container), m_keysCurrent(keysCurrent)
    {
    }

    void Run()
    {
        CGridItem* root = m_container.GetRoot();
        Expect(root->IsExpanded() && !root->IsVisible() && !root->GetParent(), "root state");
        Expect(!m_container.IsRegistered(root), "root is registered");
        const int counted = Walk(root, true);
        Expect(counted == root->GetVisibleDescendantCount(), "root visible-descendant count");

        CVisibleSequence& sequence = m_container.GetVisibleSequence();
        Expect(sequence.Size() == static_cast<int>(m_expectedVisible.size()),
               "sequence length " + std::to_string(sequence.Size()) + " != " +
                   std::to_string(m_expectedVisible.size()));
        for (int position = 0; position < sequence.Size(); ++position) {
            if (position < static_cast<int>(m_expectedVisible.size()) &&
                sequence.At(position) != m_expectedVisible[static_cast<std::size_t>(position)]) {
                Fail("sequence differs from the tree at " + std::to_string(position));
                break;
            }
            if (sequence.PositionOf(sequence.At(position)) != position)
                Fail("cached position wrong at " + std::to_string(position));
        }
        const CRowAddressSet& registered = m_container.GetRegisteredRows();
        bool allRegistered = registered.Size() == m_treeRows.size();
        for (CGridItem* row : m_treeRows)
            allRegistered = allRegistered && registered.Contains(row);
        Expect(allRegistered, "registered set != rows of the tree");
        const CRowAddressSet& selected = m_container.GetSelectedRows();
        std::size_t flagged = 0;
        bool allSelected = true;
        for (CGridItem* row : m_treeRows) {
            if (row->IsSelected()) {
                ++flagged;
                allSelected = allSelected && selected.Contains(row);
            }
        }
        Expect(allSelected && selected.Size() == flagged, "selected set != selected rows");
    }

    std::string Report() const { return m_report.str(); }

private:
    // Returns the number of visible rows in `row`'s subtree below it.
    int Walk(CGridItem* row, bool childrenShown)
    {
        int visibleBelow = 0;
        const int count = row->GetChildCount();
        Expect(row->GetChildren().AreFirstKeysCurrent(),
               "a block's first key prefix differs from its first child's key");
        for (int slot = 0; slot < count; ++slot) {
            CGridItem* child = row->GetChild(slot);
            Expect(child->GetParent() == row, "child's parent link");
            Expect(child->GetContainer() == &m_container, "child's container");
            Expect(row->FindChild(child) == slot, "cached slot wrong");
            m_treeRows.insert(child);
            if (slot > 0 && m_container.IsSorted())
                Expect(m_container.Compare(*row->GetChild(slot - 1), *child) >= 0,
                       "siblings out of order");
            if (m_keysCurrent && m_container.IsSorted() && child->GetDataObject())
                CheckKeys(child);
            const bool shown = childrenShown && !m_rows.IsHiddenByFilter(child);
            Expect(child->IsVisible() == shown, "visibility of a row disagrees with the tree");
            if (shown)
                m_expectedVisible.push_back(child);
            const int below = Walk(child, shown && child->IsExpanded());
            Expect(below == child->GetVisibleDescendantCount(), "visible-descendant count");
            if (shown)
                visibleBelow += 1 + below;
            if (child->GetDataObject())
                Expect(CDispatcher::GetInstance().IsRegistered(child->GetDataObject(), child),
                       "bound row missing from the registry");
        }
        return visibleBelow;
    }

    void CheckKeys(CGridItem* row)
    {
        const auto levels = m_container.GetSortLevels();
        for (std::size_t level = 0; level < levels.size(); ++level) {
            const Common::CValue value = row->GetDataObject()->GetValue(levels[level].GetFieldId());
            if (!row->GetSortKey(static_cast<int>(level)).Equals(value))
                Fail("stale sort key");
        }
    }

    void Expect(bool condition, const std::string& what)
    {
        if (!condition)
            Fail(what);
    }

    void Fail(const std::string& what)
    {
        if (++m_failures <= 20)
            m_report << "container " << m_container.GetKind() << ": " << what << '\n';
    }

    CGridRows& m_rows;
    CItemContainer& m_container;
    bool m_keysCurrent;
    std::vector<CGridItem*> m_expectedVisible;
    std::set<CGridItem*> m_treeRows;
    std::ostringstream m_report;
    int m_failures = 0;
};

} // namespace

std::string CheckRows(CGridRows& rows, bool keysCurrent)
{
    std::string report;
    for (int type : {ROW_FIXED, ROW_NORMAL}) {
        CChecker checker(rows, rows.GetContainer(type), keysCurrent);
        checker.Run();
        report += checker.Report();
    }
    return report;
}

std::vector<std::string> VisibleNames(const CGridRows& rows, int rowType)
{
    std::vector<std::string> names;
    for (int position = 0; position < rows.GetRowCount(rowType); ++position) {
        auto* object = dynamic_cast<CTestObject*>(rows.GetDataObject(position, rowType));
        names.push_back(object ? object->GetName() : std::string("?"));
    }
    return names;
}

} // namespace Ombrel::GUI::Testing
