#pragma once

#include "ombrel/gui/rows/GridTypes.h"
#include "ombrel/platform/Messages.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace Ombrel::Common {
class CDataObject;
}

namespace Ombrel::GUI {

class CColumn;
class CGridRows;

// The text typed for a type-ahead search and how rows are matched against it.
//
// Characters typed within the timeout of the previous one extend the text; a later one starts
// a new text. A row matches when its candidate text (the search column's cell text, with
// blanks and tabs removed for signed numbers and floating-point values, so "1 234 567" is
// found by typing 1234) begins with the text, compared by UTF-8 characters without regard to
// case. Rows are scanned in display order: the fixed rows, then the normal rows.
class CGridTypeAhead
{
public:
    CGridTypeAhead();
    ~CGridTypeAhead();
    CGridTypeAhead(const CGridTypeAhead&) = delete;
    CGridTypeAhead& operator=(const CGridTypeAhead&) = delete;

    // Adds `ch` typed at `nowMs` (monotonic milliseconds): the text becomes `ch` alone when
    // more than `timeoutMs` passed since the previous character (or there was none), else
    // `ch` is appended. Returns the text.
    const std::string& Type(char ch, std::uint64_t nowMs, std::uint32_t timeoutMs);
    const std::string& GetText() const;

    // The first row matching the text, scanning from the focused row (when a row follows it)
    // to the end, then from the first row up to, not including, the focused row. None when
    // nothing matches or the text is empty.
    RowPosition FindMatch(const CGridRows& rows, const CColumn& column, RowPosition focus) const;

    // The text a row offers to the search; empty when the getter throws.
    static std::string CandidateText(Common::CDataObject& object, const CColumn& column);
    // Whether the first UTF-8 characters of `text` equal `prefix`, ignoring case.
    static bool StartsWithNoCase(std::string_view text, std::string_view prefix);
    // ASCII letters and digits: the only characters a search accepts.
    static bool IsSearchChar(char ch);
    // See CGridSelection::CharFromVirtualKey.
    static char CharFromVirtualKey(UINT virtualKey);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::GUI
