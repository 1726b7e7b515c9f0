#pragma once

// A shown grid with one narrow text column over real rows, for tooltip tests driven by
// synthetic mouse and key input on the offscreen platform.

#include "ombrel/base/String.h"
#include "ombrel/common/DataObject.h"
#include "ombrel/common/FieldDeclaration.h"
#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/services/TooltipCtrl.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace Ombrel::GUI::Testing {

constexpr std::int32_t kTextField = 1;

// A data object with one text field.
class CTextRecord : public Common::CDataObject
{
    OMBREL_DECLARE_FIELD_MAP()
public:
    explicit CTextRecord(const char* text) : m_text(text) {}
    ~CTextRecord() override { NotifyDestroy(); }
    CString GetText() const { return m_text; }
    void SetText(CString text)
    {
        m_text = std::move(text);
        NotifyUpdate(kTextField);
    }

private:
    CString m_text;
};

// Row texts: even rows fit the column, odd rows are cut off.
inline const char* const kShortText = "Oslo";
inline const char* const kLongText = "Saint-Martin-de-Belleville, Savoie";

// A top-level grid at `origin` (screen), 200 x 160, with one 80-pixel column of ten rows that
// alternate short and long texts. Both tooltip records get a 20 ms initial delay and no
// display time, so tests wait only for what they check.
class TooltipGridTest : public ::testing::Test
{
protected:
    static constexpr int kDelayMs = 20;
    static constexpr int kColumnWidth = 80;

    void SetUp() override { CreateGrid(CPoint(200, 150)); }
    void TearDown() override;

    void CreateGrid(CPoint origin, int width = 200);
    // Client point in the middle of the cell of row `position`.
    CPoint CellCenter(int position);
    CRect CellRect(int position);
    // Moves the pointer onto `point` and waits until `control` shows (true) or `timeout`.
    bool HoverUntilShown(CPoint point, ITooltipCtrl* control);
    bool IsShown(ITooltipCtrl* control);
    CTooltipCtrl* CursorCtrl();
    CTooltipCtrl* InPlaceCtrl();
    // The pointer's screen position for a client point of the grid.
    CPoint ScreenPoint(CPoint client);

    std::unique_ptr<CGrid> grid;
    std::vector<std::unique_ptr<CTextRecord>> records;
};

} // namespace Ombrel::GUI::Testing
