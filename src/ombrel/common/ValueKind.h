#pragma once

#include "ombrel/common/Value.h"

namespace Ombrel::Common {

// The kinds that hold numbers (not text, bool or opaque values): shown right-aligned, edited
// with a numeric editor.
constexpr bool IsNumericKind(ValueType kind)
{
    switch (kind) {
    case vtChar:
    case vtUChar:
    case vtShort:
    case vtUShort:
    case vtLong:
    case vtULong:
    case vtInt64:
    case vtFloat:
    case vtDouble:
        return true;
    default:
        return false;
    }
}

} // namespace Ombrel::Common
