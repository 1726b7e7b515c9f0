#pragma once

#include <cstddef>
#include <istream>
#include <memory>

#include "TableReadResult.h"
#include "TableSink.h"

namespace Ombrel::Viewer {

// Reads comma-separated values as RFC 4180 defines them: fields in double quotes may hold
// commas, doubled quotes and line breaks; records end with CR LF or LF; the first record names
// the columns. The text is UTF-8 (a byte-order mark is skipped, invalid bytes replaced).
//
// A quote inside an unquoted field, text after a closing quote and a quoted field still open at
// the end of the file are errors with their line. Rows shorter than the header are padded with
// empty cells; longer rows lose their extra fields, with a warning.
class CCsvReader
{
public:
    // A field longer than this is cut here (with a warning): a grid cell cannot show more.
    static constexpr std::size_t kMaxCellBytes = 1024 * 1024;
    // A field longer than this is an error: the reader will not hold more of one in memory.
    static constexpr std::size_t kMaxFieldBytes = 256 * 1024 * 1024;

    explicit CCsvReader(ITableSink& sink);
    CCsvReader(const CCsvReader&) = delete;
    CCsvReader& operator=(const CCsvReader&) = delete;
    ~CCsvReader();

    TableReadResult Read(std::istream& input);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace Ombrel::Viewer
