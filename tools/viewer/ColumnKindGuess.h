#pragma once

#include <cstdint>
#include <string_view>

#include "ColumnKind.h"

namespace Ombrel::Viewer {

// Narrows the kind of one column down as it sees the column's cells: a kind stays possible
// while every non-empty cell reads as that kind. Blanks around a cell do not count.
class CColumnKindGuess
{
public:
    void Observe(std::string_view cell);

    // The most specific kind every non-empty cell fits: bool, integer, double, date, date and
    // time, in that order; text when no kind fits all or no cell had a value.
    ColumnKind GetKind() const;
    // True when a date-and-time cell had a fraction of a second.
    bool HasFractions() const { return m_fractions; }
    std::uint64_t GetValueCount() const { return m_values; }

private:
    enum Candidate : unsigned { kBool = 1, kInteger = 2, kDouble = 4, kDate = 8, kDateTime = 16 };

    unsigned m_candidates = kBool | kInteger | kDouble | kDate | kDateTime;
    std::uint64_t m_values = 0;
    bool m_fractions = false;
};

// `cell` without the blanks around it.
std::string_view TrimCell(std::string_view cell);
// The cell as the kind reads it; false when it does not.
bool ReadInteger(std::string_view cell, std::int64_t& out);
bool ReadDouble(std::string_view cell, double& out);
bool ReadBool(std::string_view cell, bool& out);

} // namespace Ombrel::Viewer
