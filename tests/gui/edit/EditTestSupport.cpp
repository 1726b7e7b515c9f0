#include "gui/edit/EditTestSupport.h"

#include "ombrel/common/LongDateFormat.h"
#include "ombrel/common/IntegerFormats.h"
#include "ombrel/common/LongEnumFormat.h"
#include "ombrel/gui/edit/EditCodes.h"
#include "ombrel/gui/edit/EditInPlace.h"
#include "ombrel/gui/rows/GridItem.h"
#include "ombrel/platform/WindowMessaging.h"
#include "support/Harness.h"

#include <iterator>

namespace Ombrel::GUI::EditTest {

namespace {

const Common::EnumItem kColours[] = {{0, "Red"}, {1, "Green"}, {2, "Blue"}};

Common::CFormat* NewHexFormat()
{
    return new Common::CLongFormat(Common::fmHex);
}

Common::CFormat* NewColourFormat()
{
    return new Common::CLongEnumFormat(kColours, static_cast<int>(std::size(kColours)));
}

Common::CFormat* NewDateFormat()
{
    return new Common::CLongDateFormat(14);
}

} // namespace

OMBREL_BEGIN_FIELD_MAP(CRecord)
    OMBREL_FIELD_READ_ONLY(kName, "Name", &CRecord::GetName)
    OMBREL_FIELD(kNumber, "Number", &CRecord::GetNumber, &CRecord::SetNumber)
    OMBREL_FIELD(kHex, "Hex", &CRecord::GetHex, &CRecord::SetHex, NewHexFormat())
    OMBREL_FIELD(kColour, "Colour", &CRecord::GetColour, &CRecord::SetColour, NewColourFormat())
    OMBREL_FIELD(kAmount, "Amount", &CRecord::GetAmount, &CRecord::SetAmount)
    OMBREL_FIELD(kDone, "Done", &CRecord::IsDone, &CRecord::SetDone)
    OMBREL_FIELD(kWhen, "When", &CRecord::GetWhen, &CRecord::SetWhen, NewDateFormat())
OMBREL_END_FIELD_MAP()

bool COwnerWindow::OnNotify(WPARAM, LPARAM lParam, LRESULT* result)
{
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->code == GN_BEGINEDIT || header->code == GN_ENDEDIT)
        edits.push_back(*reinterpret_cast<const NMGRIDEDIT*>(lParam));
    *result = 0;
    return true;
}

void EditGridTest::SetUp()
{
    ASSERT_TRUE(owner.Create(nullptr, "owner", WS_POPUP | WS_VISIBLE, CRect(0, 0, 700, 300), nullptr, 0));
    ASSERT_TRUE(grid.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 700, 300), &owner, 7));
    header = new CHeader(true);
    struct Setup { std::int32_t id; const char* title; bool editable; };
    const Setup columns[] = {{kName, "Name", false}, {kNumber, "Number", true}, {kHex, "Hex", true},
                             {kColour, "Colour", true}, {kAmount, "Amount", true}, {kDone, "Done", true},
                             {kWhen, "When", true}};
    for (const Setup& setup : columns)
        header->AddColumn(new CColumn(setup.id, setup.title, 90, CColumn::AlignAuto, setup.editable));
    grid.SetHeader(header);
    AddRecords(5);
    Ombrel::Test::ShowAndActivate(owner);
    grid.UpdateLayout();
    Ombrel::Test::PumpFor(std::chrono::milliseconds(30));
}

void EditGridTest::TearDown()
{
    grid.EndEdit(EndNone);
    if (IsWindow(&grid))
        grid.DestroyWindow();
    records.clear();
}

void EditGridTest::AddRecords(int count)
{
    for (int i = 0; i < count; ++i) {
        const int number = static_cast<int>(records.size());
        records.push_back(std::make_unique<CRecord>("record " + std::to_string(number), number));
        grid.Add(records.back().get(), GRID_ROOT, GRID_LAST);
    }
    grid.UpdateLayout();
}

CRecord& EditGridTest::RecordAt(int position)
{
    return *static_cast<CRecord*>(grid.GetDataObject(Row(position)));
}

CPoint EditGridTest::CellCentre(int position, std::int32_t fieldId)
{
    const CRect cell = grid.GetVisibleCellRect(Row(position), fieldId);
    return CPoint(cell.left + cell.Width() / 2, cell.top + cell.Height() / 2);
}

bool EditGridTest::Editing() const
{
    int open = 0;
    for (const NMGRIDEDIT& edit : owner.edits)
        open += edit.code == GN_BEGINEDIT ? 1 : -1;
    return open > 0;
}

bool EditGridTest::WaitForEditEnd()
{
    return Ombrel::Test::PumpUntil([&] { return !Editing(); });
}

const NMGRIDEDIT* EditGridTest::LastEnd() const
{
    for (auto at = owner.edits.rbegin(); at != owner.edits.rend(); ++at) {
        if (at->code == GN_ENDEDIT)
            return &*at;
    }
    return nullptr;
}

} // namespace Ombrel::GUI::EditTest
