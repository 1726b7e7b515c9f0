#pragma once

// Parameter records of the grid's operations, shared by the facade (which fills them) and the
// implementation (which runs the operation on them). Private to the grid.

#include "ombrel/base/Geometry.h"
#include "ombrel/base/String.h"
#include "ombrel/common/Value.h"
#include "ombrel/gui/grid/Grid.h"
#include "ombrel/gui/grid/GridOperations.h"
#include "ombrel/gui/header/SortInfo.h"

#include <cstdint>
#include <exception>
#include <span>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace Ombrel::GUI {

// The result of an operation that returns nothing.
struct NoResult
{
};

// One call: the arguments in order, the result (starting as the operation's neutral result,
// which is what the caller gets when the call cannot be carried out), whether it was sent from
// another thread, and whatever the operation threw, handed back to the caller's thread.
template <class Result, class... Args>
struct GridCall
{
    GridCall(std::tuple<Args...> arguments, Result neutral)
        : args(std::move(arguments)), result(std::move(neutral))
    {
    }

    std::tuple<Args...> args;
    Result result;
    bool fromOtherThread = false;
    std::exception_ptr error;
};

template <class R, class... A>
struct GridSignature
{
    using Result = R;
    using Record = GridCall<R, A...>;
    using Arguments = std::tuple<A...>;
};

// The signature of each operation, so that facade and implementation agree on the record.
template <GridOperation Op>
struct GridCallOf;

using RowList = std::vector<CGridItem*>;
using ObjectSpan = std::span<Common::CDataObject* const>;

// One specialization per entry of the operation lists: the record type and the neutral result.
#define OMBREL_GRID_CALL_OF(name, code, neutral, ...)                                        \
    template <>                                                                              \
    struct GridCallOf<GridOperation::name> : GridSignature<__VA_ARGS__>                       \
    {                                                                                        \
        static typename GridSignature<__VA_ARGS__>::Result Neutral() { return neutral; }     \
    };
#define OMBREL_GRID_CALLS_OF_GROUP(group) OMBREL_GRID_OPS_##group(OMBREL_GRID_CALL_OF)
OMBREL_GRID_OPERATION_GROUPS(OMBREL_GRID_CALLS_OF_GROUP)
#undef OMBREL_GRID_CALLS_OF_GROUP
#undef OMBREL_GRID_CALL_OF

// The result a call gives when it cannot run.
template <GridOperation Op>
typename GridCallOf<Op>::Result NeutralResultOf()
{
    return GridCallOf<Op>::Neutral();
}

} // namespace Ombrel::GUI
