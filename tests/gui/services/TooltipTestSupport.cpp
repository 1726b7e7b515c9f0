#include "TooltipTestSupport.h"

#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/platform/WindowMessaging.h"

#include "support/Harness.h"

namespace Ombrel::GUI::Testing {

OMBREL_BEGIN_FIELD_MAP(CTextRecord)
    OMBREL_FIELD(kTextField, "Text", &CTextRecord::GetText, &CTextRecord::SetText)
OMBREL_END_FIELD_MAP()

void TooltipGridTest::CreateGrid(CPoint origin, int width)
{
    if (grid && IsWindow(grid.get()))
        grid->DestroyWindow();
    grid = std::make_unique<CGrid>();
    ASSERT_TRUE(grid->Create(WS_POPUP | WS_VISIBLE, CRect(origin, CSize(width, 160)), nullptr, 1));
    auto* header = new CHeader(true);
    header->AddColumn(new CColumn(kTextField, "Text", kColumnWidth));
    grid->SetHeader(header);
    records.clear();
    for (int i = 0; i < 10; ++i) {
        records.push_back(std::make_unique<CTextRecord>(i % 2 == 0 ? kShortText : kLongText));
        grid->Add(records.back().get());
    }
    grid->UpdateLayout();
    for (TooltipSettings* settings : {grid->GetTooltipSettings(), grid->GetInPlaceTooltipSettings()}) {
        settings->initialDelayMs = kDelayMs;
        settings->displayTimeMs = 0;
    }
    Ombrel::Test::ShowAndActivate(*grid);
}

void TooltipGridTest::TearDown()
{
    if (grid && IsWindow(grid.get()))
        grid->DestroyWindow();
    grid.reset();
    records.clear();
}

CRect TooltipGridTest::CellRect(int position)
{
    return grid->GetCellRect(grid->GetRowAt(position, ROW_NORMAL), kTextField);
}

CPoint TooltipGridTest::CellCenter(int position)
{
    return CellRect(position).CenterPoint();
}

CPoint TooltipGridTest::ScreenPoint(CPoint client)
{
    grid->ClientToScreen(&client);
    return client;
}

bool TooltipGridTest::IsShown(ITooltipCtrl* control)
{
    auto* window = dynamic_cast<CWnd*>(control);
    return window != nullptr && window->IsWindowVisible();
}

bool TooltipGridTest::HoverUntilShown(CPoint point, ITooltipCtrl* control)
{
    Ombrel::Test::MouseMove(*grid, point);
    return Ombrel::Test::PumpUntil([&] { return IsShown(control); }, std::chrono::seconds(2));
}

CTooltipCtrl* TooltipGridTest::CursorCtrl()
{
    return dynamic_cast<CTooltipCtrl*>(grid->GetTooltipCtrl());
}

CTooltipCtrl* TooltipGridTest::InPlaceCtrl()
{
    return dynamic_cast<CTooltipCtrl*>(grid->GetInPlaceTooltipCtrl());
}

} // namespace Ombrel::GUI::Testing
