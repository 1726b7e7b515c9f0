#pragma once

#include <cstdint>
#include <string>

namespace Ombrel::Viewer {

// Something wrong with a table file, where the user can find it. Lines and columns count
// from 1; column is 0 when only the line is known, and line is 0 for the file as a whole.
struct TableProblem
{
    std::uint64_t line = 0;
    std::uint64_t column = 0;
    std::string message;

    // "line 3, column 7: <message>", "line 3: <message>" or the message alone.
    std::string Describe() const;
};

} // namespace Ombrel::Viewer
