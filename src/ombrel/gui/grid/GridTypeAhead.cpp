#include "ombrel/gui/grid/GridTypeAhead.h"

#include "ombrel/base/String.h"
#include "ombrel/common/DataObject.h"
#include "ombrel/common/Value.h"
#include "ombrel/gui/rows/GridRows.h"
#include "ombrel/gui/header/Column.h"

#include <algorithm>

namespace Ombrel::GUI {

struct CGridTypeAhead::Impl
{
    std::string text;
    std::uint64_t lastTypedMs = 0; // valid once hasTyped
    bool hasTyped = false;
};

namespace {

// Kinds whose formatted text may carry digit-group blanks that a user does not type. The
// unsigned kinds and bool keep theirs.
bool DropsBlanks(Common::ValueType kind)
{
    switch (kind) {
    case Common::vtChar:
    case Common::vtShort:
    case Common::vtLong:
    case Common::vtInt64:
    case Common::vtFloat:
    case Common::vtDouble:
        return true;
    default:
        return false;
    }
}

bool IsUtf8Continuation(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// Byte length of the first `count` characters of `text` (all of it when shorter).
std::size_t Utf8PrefixLength(std::string_view text, std::size_t count)
{
    std::size_t end = 0;
    for (std::size_t taken = 0; taken < count && end < text.size(); ++taken) {
        ++end;
        while (end < text.size() && IsUtf8Continuation(text[end]))
            ++end;
    }
    return end;
}

std::size_t Utf8Length(std::string_view text)
{
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char byte) { return !IsUtf8Continuation(byte); }));
}

// The fixed rows followed by the normal rows, as one run of display indices.
class CDisplayOrder
{
public:
    explicit CDisplayOrder(const CGridRows& rows)
        : m_fixedCount(rows.GetRowCount(ROW_FIXED)),
          m_total(m_fixedCount + rows.GetRowCount(ROW_NORMAL))
    {}

    int Size() const { return m_total; }
    RowPosition At(int index) const
    {
        return index < m_fixedCount ? RowPosition{index, ROW_FIXED}
                                    : RowPosition{index - m_fixedCount, ROW_NORMAL};
    }
    // -1 for no focus or a position outside the sequences.
    int IndexOf(RowPosition position) const
    {
        if (position.index < 0)
            return -1;
        int index = -1;
        if (position.type == ROW_FIXED)
            index = position.index;
        else if (position.type == ROW_NORMAL)
            index = m_fixedCount + position.index;
        return index < m_total ? index : -1;
    }

private:
    int m_fixedCount;
    int m_total;
};

} // namespace

CGridTypeAhead::CGridTypeAhead() : m_impl(std::make_unique<Impl>()) {}

CGridTypeAhead::~CGridTypeAhead() = default;

const std::string& CGridTypeAhead::Type(char ch, std::uint64_t nowMs, std::uint32_t timeoutMs)
{
    const bool expired =
        !m_impl->hasTyped || nowMs < m_impl->lastTypedMs || nowMs - m_impl->lastTypedMs > timeoutMs;
    if (expired)
        m_impl->text.assign(1, ch);
    else
        m_impl->text += ch;
    m_impl->lastTypedMs = nowMs;
    m_impl->hasTyped = true;
    return m_impl->text;
}

const std::string& CGridTypeAhead::GetText() const
{
    return m_impl->text;
}

RowPosition CGridTypeAhead::FindMatch(const CGridRows& rows, const CColumn& column,
                                      RowPosition focus) const
{
    const std::string& text = m_impl->text;
    if (text.empty())
        return {};
    const CDisplayOrder order(rows);
    auto scan = [&](int first, int end) -> RowPosition {
        for (int index = first; index < end; ++index) {
            const RowPosition position = order.At(index);
            Common::CDataObject* object = rows.GetDataObject(position.index, position.type);
            if (object && StartsWithNoCase(CandidateText(*object, column), text))
                return position;
        }
        return {};
    };

    // Starting at the focused row itself lets a row that still matches keep the focus while
    // more characters are typed.
    const int focused = order.IndexOf(focus);
    if (focused >= 0 && focused + 1 < order.Size()) {
        const RowPosition found = scan(focused, order.Size());
        if (!found.IsNone())
            return found;
    }
    return scan(0, focused >= 0 ? focused : order.Size());
}

std::string CGridTypeAhead::CandidateText(Common::CDataObject& object, const CColumn& column)
{
    const std::int32_t fieldId = column.GetFieldId();
    std::string text;
    try {
        text = object.GetFormattedValue(fieldId, column.GetFormat());
    } catch (...) {
        // A getter that fails offers nothing to match; the search goes on with the next row.
        return {};
    }
    if (DropsBlanks(object.GetFieldType(fieldId)))
        std::erase_if(text, [](char c) { return c == ' ' || c == '\t'; });
    return text;
}

bool CGridTypeAhead::StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    const std::size_t head = Utf8PrefixLength(text, Utf8Length(prefix));
    return CompareUtf8NoCase(text.substr(0, head), prefix) == 0;
}

bool CGridTypeAhead::IsSearchChar(char ch)
{
    return (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
}

char CGridTypeAhead::CharFromVirtualKey(UINT virtualKey)
{
    if (virtualKey >= VK_NUMPAD0 && virtualKey <= VK_NUMPAD9)
        virtualKey = '0' + (virtualKey - VK_NUMPAD0);
    if (virtualKey > 0x7F)
        return 0;
    const char ch = static_cast<char>(virtualKey);
    return IsSearchChar(ch) ? ch : 0;
}

} // namespace Ombrel::GUI
