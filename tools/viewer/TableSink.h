#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "TableProblem.h"

namespace Ombrel::Viewer {

// Receives a table as a reader takes it apart: the columns, then the rows as text, in file
// order. Cells are valid UTF-8 (invalid bytes already replaced) and a row has exactly one cell
// per column known when it is delivered (short rows padded with empty cells).
class ITableSink
{
public:
    virtual ~ITableSink() = default;

    // A new column, at the end. CSV names every column from its header line before the first
    // row; a JSON record may bring a key no earlier record had, mid-file.
    virtual void OnColumn(const std::string& name) = 0;
    // One row; the sink may take the strings. False stops the reading (a cancel).
    virtual bool OnRow(std::vector<std::string>& cells) = 0;
    // Something the reader repaired and went on (a long row cut, a huge field cut).
    virtual void OnWarning(const TableProblem& problem) = 0;
    // After each block read from the file, with the bytes read so far (for progress). False
    // stops the reading (a cancel), even in the middle of a row.
    virtual bool OnBytesRead(std::uint64_t bytes) = 0;
};

} // namespace Ombrel::Viewer
