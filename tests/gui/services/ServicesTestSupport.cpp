#include "gui/services/ServicesTestSupport.h"

#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/platform/WindowMessaging.h"

#include "support/Harness.h"

namespace Ombrel::GUI::Testing {

ServiceGrid::ServiceGrid(int fixedRows, int normalRows, int height)
{
    grid.Create(WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, height), nullptr, 1);
    auto* header = new CHeader(true);
    for (int column = 0; column < kColumnCount; ++column)
        header->AddColumn(new CColumn(kFirstField + column, "C" + std::to_string(column), 90));
    grid.SetHeader(header);
    for (int i = 0; i < fixedRows; ++i)
        AddRow("f" + std::to_string(i), GRID_FIXED_ROOT);
    for (int i = 0; i < normalRows; ++i)
        AddRow("n" + std::to_string(i));
    grid.UpdateLayout();
    Ombrel::Test::ShowAndActivate(grid);
    grid.CWnd::SetFocus();
}

ServiceGrid::~ServiceGrid()
{
    if (IsWindow(&grid))
        grid.DestroyWindow();
}

CTestObject* ServiceGrid::MakeObject(const std::string& name)
{
    objects.push_back(std::make_unique<CTestObject>(name));
    for (int column = 0; column < kColumnCount; ++column)
        objects.back()->Put(kFirstField + column,
                            Common::CValue(name + "." + std::to_string(column + 1)));
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
        auto* object = dynamic_cast<CTestObject*>(grid.GetDataObject(Normal(index)));
        names.push_back(object != nullptr ? object->GetName() : "?");
    }
    return names;
}

} // namespace Ombrel::GUI::Testing
