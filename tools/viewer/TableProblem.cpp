#include "TableProblem.h"

namespace Ombrel::Viewer {

std::string TableProblem::Describe() const
{
    if (line == 0)
        return message;
    std::string where = "line " + std::to_string(line);
    if (column != 0)
        where += ", column " + std::to_string(column);
    return where + ": " + message;
}

} // namespace Ombrel::Viewer
