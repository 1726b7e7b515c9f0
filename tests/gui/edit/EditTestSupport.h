#pragma once

// A data class with one field per kind of cell editor, and a grid over such records, for the
// in-place editing tests.

#include "ombrel/common/DataObject.h"
#include "ombrel/common/FieldDeclaration.h"
#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/grid/GridNotifications.h"
#include "ombrel/gui/header/Column.h"
#include "ombrel/gui/header/Header.h"
#include "ombrel/platform/Wnd.h"

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Ombrel::GUI::EditTest {

enum RecordField : std::int32_t
{
    kName = 1,   // string, read-only
    kNumber = 2, // long, decimal
    kHex = 3,    // long, hexadecimal format
    kColour = 4, // long, enumeration {0 Red, 1 Green, 2 Blue}
    kAmount = 5, // double
    kDone = 6,   // bool
    kWhen = 7,   // long seconds, date format
};

// Values under a lock: worker threads write while the window thread reads. Setters notify.
class CRecord : public Common::CDataObject
{
    OMBREL_DECLARE_FIELD_MAP()
public:
    explicit CRecord(std::string name, std::int32_t number = 0) : m_name(name.c_str()), m_number(number) {}
    ~CRecord() override { NotifyDestroy(); }

    CString GetName() const { return Read(m_name); }
    std::int32_t GetNumber() const { return Read(m_number); }
    std::int32_t GetHex() const { return Read(m_hex); }
    std::int32_t GetColour() const { return Read(m_colour); }
    double GetAmount() const { return Read(m_amount); }
    bool IsDone() const { return Read(m_done); }
    std::int32_t GetWhen() const { return Read(m_when); }

    void SetNumber(std::int32_t v) { Write(m_number, v, kNumber); }
    void SetHex(std::int32_t v) { Write(m_hex, v, kHex); }
    void SetColour(std::int32_t v) { Write(m_colour, v, kColour); }
    void SetAmount(double v) { Write(m_amount, v, kAmount); }
    void SetDone(bool v) { Write(m_done, v, kDone); }
    void SetWhen(std::int32_t v) { Write(m_when, v, kWhen); }

    int SetterCalls() const { return Read(m_setterCalls); }

private:
    template <class T>
    T Read(const T& member) const
    {
        std::lock_guard lock(m_lock);
        return member;
    }
    template <class T>
    void Write(T& member, T value, int fieldId)
    {
        {
            std::lock_guard lock(m_lock);
            member = value;
            ++m_setterCalls;
        }
        NotifyUpdate(fieldId);
    }

    mutable std::mutex m_lock;
    CString m_name;
    std::int32_t m_number = 0;
    std::int32_t m_hex = 0;
    std::int32_t m_colour = 0;
    double m_amount = 0.0;
    bool m_done = false;
    std::int32_t m_when = 86400 * 365;
    int m_setterCalls = 0;
};

// Remembers the edit notifications the grid sends its owner.
class COwnerWindow : public CWnd
{
public:
    bool OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    std::vector<NMGRIDEDIT> edits; // GN_BEGINEDIT and GN_ENDEDIT, in order
};

// A grid of `rowCount` records numbered 0.. with one column per field, all editable except
// the name; the grid is shown and active so that editors get the focus.
class EditGridTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    void AddRecords(int count);
    CGridItem* Row(int position) { return grid.GetRowAt(position, ROW_NORMAL); }
    CRecord& RecordAt(int position);
    // The centre of a cell in the grid's client coordinates.
    CPoint CellCentre(int position, std::int32_t fieldId);
    // Whether the owner heard of an edit that has not ended yet.
    bool Editing() const;
    // Waits until no edit is in progress (ends are posted).
    bool WaitForEditEnd();
    // The end notification of the last finished edit; null when none came.
    const NMGRIDEDIT* LastEnd() const;

    COwnerWindow owner;
    CGrid grid;
    CHeader* header = nullptr;
    std::vector<std::unique_ptr<CRecord>> records;
};

} // namespace Ombrel::GUI::EditTest
