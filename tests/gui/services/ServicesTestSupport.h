#pragma once

// A grid window for service tests: three text columns, fixed and normal rows of dynamic
// objects whose cells read "<name>.<column>", shown and active so that it takes key input.

#include "ombrel/common/DynamicObject.h"
#include "ombrel/gui/grid/Grid.h"

#include <memory>
#include <string>
#include <vector>

namespace Ombrel::GUI::Testing {

constexpr std::int32_t kFirstField = 1;
constexpr int kColumnCount = 3;

// A dynamic object with three declared text fields and a name to tell it by.
class CNamedObject : public Common::CDynamicObject
{
public:
    explicit CNamedObject(std::string name);
    // Rows leave before the name goes: a grid may read the object until then.
    ~CNamedObject() override { NotifyDestroy(); }
    const std::string& GetName() const { return m_name; }

private:
    std::string m_name;
};

class ServiceGrid
{
public:
    // `height` in pixels decides how many normal rows fit on a page. Thread tests keep the
    // window hidden: painting would run Qt's image thread pool, which ThreadSanitizer cannot
    // follow.
    explicit ServiceGrid(int fixedRows, int normalRows, int height = 200, bool shown = true);
    ~ServiceGrid();
    ServiceGrid(const ServiceGrid&) = delete;
    ServiceGrid& operator=(const ServiceGrid&) = delete;

    // A new test object with cells "<name>.1" .. "<name>.3", owned by this grid helper.
    CNamedObject* MakeObject(const std::string& name);
    CGridItem* AddRow(const std::string& name, CGridItem* parent = GRID_ROOT);

    CGridItem* Normal(int index) { return grid.GetRowAt(index, ROW_NORMAL); }
    CGridItem* Fixed(int index) { return grid.GetRowAt(index, ROW_FIXED); }
    RowPosition Focus() { return {grid.GetFocusIndex(), grid.GetFocusType()}; }
    // The selected visible rows as "F<index>" / "N<index>", fixed first.
    std::vector<std::string> Selected();
    // The object name each normal row shows, in visible order.
    std::vector<std::string> NormalNames();

    CGrid grid;
    std::vector<std::unique_ptr<CNamedObject>> objects;
};

} // namespace Ombrel::GUI::Testing
