#pragma once

namespace Ombrel::Viewer {

// What the values of a table column are, as far as every non-empty cell shows.
enum class ColumnKind
{
    Text,
    Integer,   // fits a signed 64-bit integer
    Double,
    Bool,      // true / false, any case
    Date,      // ISO date
    DateTime,  // ISO date, some with a time of day
};

const char* ColumnKindName(ColumnKind kind);

} // namespace Ombrel::Viewer
