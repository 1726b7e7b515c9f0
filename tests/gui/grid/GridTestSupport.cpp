#include "GridTestSupport.h"

#include "ombrel/platform/WindowMessaging.h"

#include <gtest/gtest.h>

namespace Ombrel::GUI::Testing {

bool CNotificationRecorder::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    Entry entry;
    entry.wParam = wParam;
    if (header->code <= GN_ROWUPDATED)
        entry.row = *reinterpret_cast<const NMGRIDROW*>(lParam);
    else {
        entry.column = *reinterpret_cast<const NMGRIDCOLUMN*>(lParam);
        entry.row.hdr = entry.column.hdr;
    }
    entries.push_back(entry);
    *result = 0;
    return true;
}

std::vector<UINT> CNotificationRecorder::Codes(bool rowsOnly) const
{
    std::vector<UINT> codes;
    for (const Entry& entry : entries) {
        if (!rowsOnly || entry.IsRow())
            codes.push_back(entry.Code());
    }
    return codes;
}

std::vector<CNotificationRecorder::Entry> CNotificationRecorder::Of(UINT code) const
{
    std::vector<Entry> matching;
    for (const Entry& entry : entries) {
        if (entry.Code() == code)
            matching.push_back(entry);
    }
    return matching;
}

std::vector<CNotificationRecorder::Entry> CNotificationRecorder::For(const CGridItem* row) const
{
    std::vector<Entry> matching;
    for (const Entry& entry : entries) {
        if (entry.IsRow() && entry.row.row == row)
            matching.push_back(entry);
    }
    return matching;
}

GridWindow::GridWindow()
{
    EXPECT_TRUE(owner.Create(nullptr, "grid owner", WS_OVERLAPPEDWINDOW, CRect(0, 0, 400, 300),
                             nullptr, 0));
    EXPECT_TRUE(grid.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 200), &owner, kControlId));
}

GridWindow::~GridWindow()
{
    if (IsWindow(&grid))
        grid.DestroyWindow();
    if (IsWindow(&owner))
        owner.DestroyWindow();
}

std::string CodeName(UINT code)
{
    static const char* const names[] = {
        "ROWADDED", "ROWREMOVED", "ROWMOVED", "ROWATTACHED", "ROWDETACHED", "FOCUSCHANGED",
        "SELCHANGED", "EXPANDCHANGED", "FILTERCHANGED", "VISIBILITYCHANGED", "ROWUPDATED"};
    if (code <= GN_ROWUPDATED)
        return names[code];
    return "column " + std::to_string(code);
}

} // namespace Ombrel::GUI::Testing
