#include "ColumnKind.h"

namespace Ombrel::Viewer {

const char* ColumnKindName(ColumnKind kind)
{
    switch (kind) {
    case ColumnKind::Integer: return "integer";
    case ColumnKind::Double: return "double";
    case ColumnKind::Bool: return "bool";
    case ColumnKind::Date: return "date";
    case ColumnKind::DateTime: return "date-time";
    case ColumnKind::Text: break;
    }
    return "text";
}

} // namespace Ombrel::Viewer
