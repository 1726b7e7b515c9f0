#pragma once

#include <cstdint>

namespace Ombrel {
class CArchive;
}

namespace Ombrel::GUI {

// At most this many sort levels are applied: the header keeps no more, and rows cache one sort
// key per level.
constexpr int kMaxSortLevels = 5;

// One sort level: the field whose values order the rows, and the direction. A header holds
// at most kMaxSortLevels of them; field identifier -2 (no field) marks a level bound to nothing.
//
// Stored form: 32-bit version (1), 32-bit field identifier, one byte descending flag. A
// newer stored version raises CArchiveException::badSchema; a version of 0 or less means
// nothing follows and the level keeps its values.
class CSortInfo
{
public:
    CSortInfo() = default;
    CSortInfo(std::int32_t fieldId, bool descending) : m_fieldId(fieldId), m_descending(descending)
    {
    }
    CSortInfo(const CSortInfo&) = default;
    CSortInfo& operator=(const CSortInfo&) = default;
    virtual ~CSortInfo() = default;

    virtual void Serialize(CArchive& archive);

    std::int32_t GetFieldId() const { return m_fieldId; }
    bool IsDescending() const { return m_descending; }
    void SetFieldId(std::int32_t fieldId) { m_fieldId = fieldId; }
    void SetDescending(bool descending) { m_descending = descending; }

    friend bool operator==(const CSortInfo& a, const CSortInfo& b)
    {
        return a.m_fieldId == b.m_fieldId && a.m_descending == b.m_descending;
    }

private:
    std::int32_t m_fieldId = -2; // the field compared; -2 when bound to no field
    bool m_descending = false;   // false: smaller values first
};

} // namespace Ombrel::GUI
