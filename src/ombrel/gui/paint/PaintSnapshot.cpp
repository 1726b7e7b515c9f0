#include "ombrel/gui/paint/PaintSnapshot.h"

#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/paint/PaintDefaults.h"
#include "ombrel/gui/paint/PaintedGrid.h"

#include <algorithm>

namespace Ombrel::GUI {

namespace {

// Field identifier that ends the grid's list of sort levels.
constexpr std::int32_t kNoField = -2;

PaintSnapshot::Column ColumnFacts(CHeader& header, CWnd* window, CColumn& column)
{
    PaintSnapshot::Column facts;
    facts.column = &column;
    facts.fieldId = column.GetFieldId();
    facts.shown = header.GetClippedColumnRect(window, facts.fieldId);
    facts.full = header.GetColumnRect(window, facts.fieldId);
    facts.shown.top = facts.shown.bottom = 0;
    facts.full.top = facts.full.bottom = 0;
    facts.imageIndex = column.GetImageIndex();
    facts.alignment = column.GetAlignment();
    facts.ownFormat = column.GetFormat();
    return facts;
}

} // namespace

PaintSnapshot PaintSnapshot::Take(IPaintedGrid& grid)
{
    PaintSnapshot snapshot;
    const GridAppearance* appearance = grid.GetAppearance();
    snapshot.m_appearance = appearance ? *appearance : CPaintDefaults::Get().GetAppearance();
    for (int level = 0; level < kMaxSortLevels; ++level) {
        const std::int32_t fieldId = grid.GetSortInfo(level).GetFieldId();
        if (fieldId == kNoField) {
            break;
        }
        snapshot.m_sortFields[static_cast<std::size_t>(snapshot.m_sortLevels++)] = fieldId;
    }
    snapshot.m_hierarchyField = grid.GetHierarchyColumn();
    if (const EditInPlaceSettings* edit = grid.GetEditSettingsForPaint()) {
        snapshot.m_editSettings = *edit;
        snapshot.m_hasEditSettings = true;
    }

    CHeader* header = grid.GetHeader();
    if (!header) {
        return snapshot;
    }
    CWnd* window = grid.GetPaintedWindow();
    const int count = header->GetVisibleColumnCount();
    snapshot.m_columns.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (int index = 0; index < count; ++index) {
        CColumn* column = header->GetVisibleColumn(index);
        if (!column) {
            break;
        }
        snapshot.m_columns.push_back(ColumnFacts(*header, window, *column));
    }
    snapshot.m_firstColumn = header->GetFirstVisibleColumn();
    if (CColumn* last = header->GetLastVisibleColumn()) {
        snapshot.m_lastColumn = last;
        const Column* facts = snapshot.Find(last);
        snapshot.m_restLeft =
            facts ? facts->shown.right : header->GetClippedColumnRect(window, last->GetFieldId()).right;
    }
    return snapshot;
}

const PaintSnapshot::Column* PaintSnapshot::Find(const CColumn* column) const
{
    for (const Column& facts : m_columns) {
        if (facts.column == column) {
            return &facts;
        }
    }
    return nullptr;
}

bool PaintSnapshot::IsSortField(std::int32_t fieldId) const
{
    const auto end = m_sortFields.begin() + m_sortLevels;
    return std::find(m_sortFields.begin(), end, fieldId) != end;
}

} // namespace Ombrel::GUI
