#pragma once

#include <cstdint>

#include "TableProblem.h"

namespace Ombrel::Viewer {

// How reading a table ended: completely, cancelled by the sink, or stopped at an error that
// says where. Rows delivered before an error or a cancel stay delivered.
struct TableReadResult
{
    enum class Outcome { Complete, Cancelled, Failed };

    Outcome outcome = Outcome::Complete;
    TableProblem error;         // when Failed
    std::uint64_t rows = 0;     // rows delivered
    std::uint64_t bytes = 0;    // bytes consumed

    bool Succeeded() const { return outcome == Outcome::Complete; }
};

} // namespace Ombrel::Viewer
