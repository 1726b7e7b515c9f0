#pragma once

// Runs one operation on its parameter record: shared by the files that handle the groups of
// operations (GridImpl<Group>Operations.cpp). Private to the grid.

#include "ombrel/gui/grid/detail/GridCallRecords.h"
#include "ombrel/platform/Wnd.h"

#include <exception>
#include <tuple>
#include <type_traits>

namespace Ombrel::GUI::Detail {

template <class T>
LRESULT ToLResult(const T& value)
{
    if constexpr (std::is_pointer_v<T>)
        return reinterpret_cast<LRESULT>(value);
    else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>)
        return static_cast<LRESULT>(value);
    else
        return 1;
}

// Runs `body` on the arguments of the record at `param` and stores its result there. What the
// body throws is kept in the record for the caller's thread. A missing record (a message sent
// without one) runs nothing.
template <GridOperation Op, class Body>
LRESULT Run(LPARAM param, Body&& body)
{
    using Traits = GridCallOf<Op>;
    auto* record = reinterpret_cast<typename Traits::Record*>(param);
    if (record == nullptr)
        return 0;
    try {
        if constexpr (std::is_same_v<typename Traits::Result, NoResult>) {
            std::apply(body, record->args);
            return 1;
        } else {
            record->result = std::apply(body, record->args);
            return ToLResult(record->result);
        }
    } catch (...) {
        record->error = std::current_exception();
        return 0;
    }
}

// Records handed over by address are copied whole; a null address changes nothing.
template <class T>
void CopyRecord(T& target, const T* source)
{
    if (source != nullptr)
        target = *source;
}

} // namespace Ombrel::GUI::Detail
