#pragma once

#include <istream>

#include "TableReadResult.h"
#include "TableSink.h"

namespace Ombrel::Viewer {

// Reads a JSON array of flat records, `[{"a": 1, "b": "x"}, ...]`, as a table: each key is a
// column (in the order keys first appear), each record a row. Numbers keep the text the file
// gives them, booleans read "true"/"false", null and missing keys are empty cells.
//
// Streams: a record is delivered as soon as it is closed, so memory does not grow with the
// file. A syntax error, a top level that is not an array, an element that is not an object
// and a value that is an object or array are errors with their line and column.
class CJsonReader
{
public:
    explicit CJsonReader(ITableSink& sink);

    TableReadResult Read(std::istream& input);

private:
    ITableSink& m_sink;
};

} // namespace Ombrel::Viewer
