#include "gui/services/ServicesTestSupport.h"

#include "ombrel/common/Field.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/platform/WindowMessaging.h"

#include "support/Harness.h"

namespace Ombrel::GUI::Testing {

CNamedObject::CNamedObject(std::string name) : Common::CDynamicObject(true), m_name(std::move(name))
{
    for (int column = 0; column < kColumnCount; ++column) {
        const std::int32_t id = kFirstField + column;
        AddField(new Common::CField(id, ("F" + std::to_string(id)).c_str(), Common::vtStlString));
        SetStdString(id, m_name + "." + std::to_string(column + 1));
    }
}

ServiceGrid::ServiceGrid(int fixedRows, int normalRows, int height, bool shown)
{
    grid.Create(WS_POPUP | (shown ? WS_VISIBLE : 0), CRect(0, 0, 300, height), nullptr, 1);
    auto* header = new CHeader(true);
    for (int column = 0; column < kColumnCount; ++column)
        header->AddColumn(new CColumn(kFirstField + column, "C" + std::to_string(column), 90));
    grid.SetHeader(header);
    for (int i = 0; i < fixedRows; ++i)
        AddRow("f" + std::to_string(i), GRID_FIXED_ROOT);
    for (int i = 0; i < normalRows; ++i)
        AddRow("n" + std::to_string(i));
    grid.UpdateLayout();
    if (!shown)
        return;
    Ombrel::Test::ShowAndActivate(grid);
    grid.CWnd::SetFocus();
}

ServiceGrid::~ServiceGrid()
{
    if (IsWindow(&grid))
        grid.DestroyWindow();
}

CNamedObject* ServiceGrid::MakeObject(const std::string& name)
{
    objects.push_back(std::make_unique<CNamedObject>(name));
    return objects.back().get();
}

CGridItem* ServiceGrid::AddRow(const std::string& name, CGridItem* parent)
{
    return grid.Add(MakeObject(name), parent);
}

std::vector<std::string> ServiceGrid::Selected()
{
    std::vector<CGridItem*> rows;
    grid.GetSelectedRows(ROW_ALL_TYPES, rows);
    std::vector<std::string> names;
    for (CGridItem* row : rows) {
        const char prefix = grid.GetRowType(row) == ROW_FIXED ? 'F' : 'N';
        names.push_back(prefix + std::to_string(grid.GetVisibleIndex(row)));
    }
    return names;
}

std::vector<std::string> ServiceGrid::NormalNames()
{
    std::vector<std::string> names;
    for (int index = 0; index < grid.GetRowCount(ROW_NORMAL); ++index) {
        auto* object = dynamic_cast<CNamedObject*>(grid.GetDataObject(Normal(index)));
        names.push_back(object != nullptr ? object->GetName() : "?");
    }
    return names;
}

} // namespace Ombrel::GUI::Testing
