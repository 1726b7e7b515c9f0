#include "ColumnKindGuess.h"

#include <charconv>

#include "IsoDateTime.h"

namespace Ombrel::Viewer {

std::string_view TrimCell(std::string_view cell)
{
    const std::size_t first = cell.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return cell.substr(first, cell.find_last_not_of(" \t\r") - first + 1);
}

bool ReadInteger(std::string_view cell, std::int64_t& out)
{
    cell = TrimCell(cell);
    if (!cell.empty() && cell.front() == '+')
        cell.remove_prefix(1);
    const auto [end, error] = std::from_chars(cell.data(), cell.data() + cell.size(), out);
    return !cell.empty() && error == std::errc() && end == cell.data() + cell.size();
}

bool ReadDouble(std::string_view cell, double& out)
{
    cell = TrimCell(cell);
    if (!cell.empty() && cell.front() == '+')
        cell.remove_prefix(1);
    // Only digits, signs, a point and an exponent: "inf" and "nan" are words, not numbers.
    if (cell.empty() || cell.find_first_not_of("0123456789+-.eE") != std::string_view::npos)
        return false;
    const auto [end, error] = std::from_chars(cell.data(), cell.data() + cell.size(), out);
    return error == std::errc() && end == cell.data() + cell.size();
}

bool ReadBool(std::string_view cell, bool& out)
{
    cell = TrimCell(cell);
    const auto equalsNoCase = [cell](std::string_view word) {
        if (cell.size() != word.size())
            return false;
        for (std::size_t index = 0; index < word.size(); ++index)
            if ((cell[index] | 0x20) != word[index])
                return false;
        return true;
    };
    if (equalsNoCase("true"))
        out = true;
    else if (equalsNoCase("false"))
        out = false;
    else
        return false;
    return true;
}

void CColumnKindGuess::Observe(std::string_view cell)
{
    cell = TrimCell(cell);
    if (cell.empty())
        return;
    ++m_values;
    std::int64_t integer = 0;
    double real = 0;
    bool flag = false;
    if ((m_candidates & kBool) != 0 && !ReadBool(cell, flag))
        m_candidates &= ~kBool;
    if ((m_candidates & kInteger) != 0 && !ReadInteger(cell, integer))
        m_candidates &= ~kInteger;
    if ((m_candidates & kDouble) != 0 && !ReadDouble(cell, real))
        m_candidates &= ~kDouble;
    if ((m_candidates & (kDate | kDateTime)) != 0) {
        const auto date = ParseIsoDateTime(cell);
        if (!date)
            m_candidates &= ~(kDate | kDateTime);
        else if (date->hasTime) {
            m_candidates &= ~kDate;
            m_fractions = m_fractions || date->hasFraction;
        }
    }
}

ColumnKind CColumnKindGuess::GetKind() const
{
    if (m_values == 0)
        return ColumnKind::Text;
    if ((m_candidates & kBool) != 0)
        return ColumnKind::Bool;
    if ((m_candidates & kInteger) != 0)
        return ColumnKind::Integer;
    if ((m_candidates & kDouble) != 0)
        return ColumnKind::Double;
    if ((m_candidates & kDate) != 0)
        return ColumnKind::Date;
    if ((m_candidates & kDateTime) != 0)
        return ColumnKind::DateTime;
    return ColumnKind::Text;
}

} // namespace Ombrel::Viewer
