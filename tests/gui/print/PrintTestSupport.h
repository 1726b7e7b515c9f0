#pragma once

// A grid to print for the print tests: three columns over simple records, on a popup window,
// and helpers that answer the print dialogs and read printed PDF files.

#include "ombrel/base/String.h"
#include "ombrel/common/DataObject.h"
#include "ombrel/common/FieldDeclaration.h"
#include "ombrel/gui/grid/Grid.h"
#include "ombrel/platform/ComboBox.h"

#include <memory>
#include <string>
#include <vector>

namespace Ombrel::GUI::Testing {

class CPrintRecord : public Common::CDataObject
{
    OMBREL_DECLARE_FIELD_MAP()
public:
    static constexpr std::int32_t kName = 1;
    static constexpr std::int32_t kAmount = 2;
    static constexpr std::int32_t kCity = 3;

    CPrintRecord(CString name, std::int32_t amount) : m_name(std::move(name)), m_amount(amount) {}
    ~CPrintRecord() override { NotifyDestroy(); }

    CString GetName() const { return m_name; }
    std::int32_t GetAmount() const { return m_amount; }
    CString GetCity() const { return CString("Lyon"); }

private:
    CString m_name;
    std::int32_t m_amount = 0;
};

// A 400 x 300 grid with the columns Name (120), Amount (100) and City (100) and `rows` rows.
class CPrintedGridWindow
{
public:
    explicit CPrintedGridWindow(int rows);
    ~CPrintedGridWindow();

    void AddRows(int count);

    std::vector<std::unique_ptr<CPrintRecord>> records; // outlive the grid's rows
    CGrid grid;
};

// Picks entry `index` of a drop-down list as a user does with the keyboard, so the list tells
// its parent (CBN_SELCHANGE, CBN_SELENDOK).
void PickListEntry(CComboBox& list, int index);

// Answers the next modal dialog that opens (the print or page set-up dialog): accepts it, or
// rejects it when `accept` is false. Works while that dialog's own loop runs.
void AnswerNextModalDialog(bool accept);

// A file name in the test's temporary directory.
std::string TemporaryPath(const char* name);

} // namespace Ombrel::GUI::Testing
