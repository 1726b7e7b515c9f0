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

// The result a call gives when it cannot run: -1 where the operation says so, else the value
// of a default-made result (false, null, 0, an empty rectangle ...).
template <GridOperation Op>
typename GridCallOf<Op>::Result NeutralResultOf()
{
    if constexpr (requires { GridCallOf<Op>::kNeutral; })
        return GridCallOf<Op>::kNeutral;
    else
        return typename GridCallOf<Op>::Result{};
}

using RowList = std::vector<CGridItem*>;

#define OMBREL_GRID_CALL(op, ...)                                                             \
    template <>                                                                               \
    struct GridCallOf<GridOperation::op> : GridSignature<__VA_ARGS__>                          \
    {                                                                                         \
    }
#define OMBREL_GRID_CALL_MINUS_ONE(op, ...)                                                   \
    template <>                                                                               \
    struct GridCallOf<GridOperation::op> : GridSignature<__VA_ARGS__>                          \
    {                                                                                         \
        static constexpr int kNeutral = -1;                                                   \
    }

OMBREL_GRID_CALL(Initialize, NoResult);

// Rows.
OMBREL_GRID_CALL(Add, CGridItem*, Common::CDataObject*, CGridItem*, CGridItem*);
OMBREL_GRID_CALL(AddPosted, NoResult, Common::CDataObject*, CGridItem*, CGridItem*);
OMBREL_GRID_CALL(Remove, bool, CGridItem*);
OMBREL_GRID_CALL(RemoveAt, bool, int, int);
OMBREL_GRID_CALL(RemoveAll, bool, int);
OMBREL_GRID_CALL(FindRows, int, Common::CDataObject*, RowList*, int, bool);
OMBREL_GRID_CALL(GetAllRows, NoResult, int, RowList*);
OMBREL_GRID_CALL(Attach, bool, CGridItem*, CGridItem*, CGridItem*);
OMBREL_GRID_CALL(Detach, bool, CGridItem*);
OMBREL_GRID_CALL(GetRowType, int, CGridItem*);
OMBREL_GRID_CALL(IsVisible, bool, CGridItem*);
OMBREL_GRID_CALL(IsExpanded, bool, CGridItem*);
OMBREL_GRID_CALL(GetChildren, NoResult, CGridItem*, RowList*);
OMBREL_GRID_CALL(HasChildren, bool, CGridItem*);
OMBREL_GRID_CALL_MINUS_ONE(GetLevel, int, CGridItem*);
OMBREL_GRID_CALL(GetParent, CGridItem*, CGridItem*);
// {row, collapse, recursive}
OMBREL_GRID_CALL(Expand, NoResult, CGridItem*, bool, bool);
OMBREL_GRID_CALL_MINUS_ONE(GetVisibleIndex, int, CGridItem*);
OMBREL_GRID_CALL(GetRowAt, CGridItem*, int, int);
OMBREL_GRID_CALL(FindRow, CGridItem*, Common::CDataObject*);
OMBREL_GRID_CALL(GetPrevRow, CGridItem*, CGridItem*, bool);
OMBREL_GRID_CALL(GetNextRow, CGridItem*, CGridItem*, bool);
OMBREL_GRID_CALL(GetDataObject, Common::CDataObject*, CGridItem*);
OMBREL_GRID_CALL(IsValid, bool, CGridItem*);
OMBREL_GRID_CALL(GetRowCount, int, int);
OMBREL_GRID_CALL(ForEachRow, int, CGridItem*, const GridRowVisitor*);
OMBREL_GRID_CALL(ForEachVisibleRow, int, int, int, const GridRowVisitor*);
// {row, reference, parent, before}
OMBREL_GRID_CALL(Move, NoResult, CGridItem*, CGridItem*, CGridItem*, bool);

// Field values.
OMBREL_GRID_CALL(GetFieldValue, Common::CValue, CGridItem*, std::int32_t);
OMBREL_GRID_CALL(GetFieldText, std::string, CGridItem*, std::int32_t);
OMBREL_GRID_CALL(GetFieldTextString, CString, CGridItem*, std::int32_t);
OMBREL_GRID_CALL(SetFieldValue, bool, CGridItem*, std::int32_t, const Common::CValue*);
OMBREL_GRID_CALL(SetFieldText, bool, CGridItem*, std::int32_t, const std::string*, bool);
OMBREL_GRID_CALL(SetFieldTextString, bool, CGridItem*, std::int32_t, const CString*, bool);

// Layout and scrolling.
OMBREL_GRID_CALL(HitTestRow, CGridItem*, int, int);
OMBREL_GRID_CALL(GetRowsArea, CRect, int);
OMBREL_GRID_CALL(GetRowRect, CRect, CGridItem*);
OMBREL_GRID_CALL(GetVisibleRowRect, CRect, CGridItem*);
OMBREL_GRID_CALL(GetCellRect, CRect, CGridItem*, std::int32_t);
OMBREL_GRID_CALL(GetVisibleCellRect, CRect, CGridItem*, std::int32_t);
OMBREL_GRID_CALL(GetPageRowCount, int);
OMBREL_GRID_CALL_MINUS_ONE(GetRowHeight, int, CGridItem*);
OMBREL_GRID_CALL(SetRowHeight, NoResult, CGridItem*, int);
OMBREL_GRID_CALL(UpdateLayout, NoResult);
OMBREL_GRID_CALL_MINUS_ONE(GetTopRow, int);
OMBREL_GRID_CALL_MINUS_ONE(GetLastVisibleIndex, int, int);
// {row, position}: a null row names the position.
OMBREL_GRID_CALL(EnsureVisible, NoResult, CGridItem*, int);
// {row, position, row type}: a null row names the position.
OMBREL_GRID_CALL(IsOnScreen, bool, CGridItem*, int, int);
OMBREL_GRID_CALL(SetTopRow, bool, int);
OMBREL_GRID_CALL(ScrollToRow, NoResult, CGridItem*);
OMBREL_GRID_CALL(AutoSizeRows, NoResult);
OMBREL_GRID_CALL(RecalcRowHeights, NoResult, int);
OMBREL_GRID_CALL(GetOptimalWidth, int, std::int32_t);

// Focus and selection.
OMBREL_GRID_CALL(GetSelectedCount, int);
OMBREL_GRID_CALL(GetSelectedRows, NoResult, int, RowList*);
OMBREL_GRID_CALL(Select, bool, CGridItem*, bool);
OMBREL_GRID_CALL(SelectAt, bool, int, int, bool);
OMBREL_GRID_CALL(IsSelectedAt, bool, int, int);
OMBREL_GRID_CALL(IsSelected, bool, CGridItem*);
OMBREL_GRID_CALL(SelectAll, NoResult);
OMBREL_GRID_CALL(ClearSelection, NoResult);
OMBREL_GRID_CALL(SetFocus, bool, int, int);
OMBREL_GRID_CALL_MINUS_ONE(GetFocusIndex, int);
OMBREL_GRID_CALL(GetFocusType, int);
OMBREL_GRID_CALL(SetFocusableTypes, NoResult, int);
OMBREL_GRID_CALL(IsFocusable, bool, int);
OMBREL_GRID_CALL(EnableSelection, NoResult, bool);
OMBREL_GRID_CALL(IsSelectionEnabled, bool);
OMBREL_GRID_CALL(EnableMultipleSelection, NoResult, bool);
OMBREL_GRID_CALL(IsMultipleSelectionEnabled, bool);
OMBREL_GRID_CALL(SetSelectableTypes, NoResult, int);
OMBREL_GRID_CALL(IsSelectable, bool, int);
OMBREL_GRID_CALL(EnableNotifications, NoResult, bool);
OMBREL_GRID_CALL(AreNotificationsEnabled, bool);

// Sorting and filtering.
OMBREL_GRID_CALL(SetSortedTypes, NoResult, int);
OMBREL_GRID_CALL(GetSortedTypes, int);
OMBREL_GRID_CALL(ClearSort, NoResult);
OMBREL_GRID_CALL(SetSortInfo, NoResult, int, CSortInfo, bool);
OMBREL_GRID_CALL(GetSortInfo, CSortInfo, int);
OMBREL_GRID_CALL(Resort, NoResult);
OMBREL_GRID_CALL(GetSortLevelCount, int);
OMBREL_GRID_CALL(SetFilter, IRowFilter*, IRowFilter*);
OMBREL_GRID_CALL(GetFilter, IRowFilter*);
OMBREL_GRID_CALL(RefreshFilter, NoResult);

// Header and columns.
OMBREL_GRID_CALL(SetHeader, CHeader*, CHeader*);
OMBREL_GRID_CALL(GetHeader, CHeader*);
// {header, column, header change code}
OMBREL_GRID_CALL(HeaderChanged, NoResult, CHeader*, CColumn*, int);
OMBREL_GRID_CALL(ShowHeader, NoResult, bool);
OMBREL_GRID_CALL(IsHeaderShown, bool);
OMBREL_GRID_CALL(AutoSizeColumn, NoResult, std::int32_t);
OMBREL_GRID_CALL(AutoSizeColumnAt, NoResult, int);
OMBREL_GRID_CALL(AutoSizeColumns, NoResult);
OMBREL_GRID_CALL(MeasureHeaderHeight, int);
OMBREL_GRID_CALL(HitTestColumn, CColumn*, int, int);
OMBREL_GRID_CALL(GetFocusColumn, CColumn*);
OMBREL_GRID_CALL(GetHierarchyColumn, std::int32_t);
OMBREL_GRID_CALL(EnsureColumnVisible, NoResult, std::int32_t);
OMBREL_GRID_CALL(SetSortEnabled, NoResult, bool);
OMBREL_GRID_CALL(IsSortEnabled, bool);
OMBREL_GRID_CALL(SetMultiSortEnabled, NoResult, bool);
OMBREL_GRID_CALL(IsMultiSortEnabled, bool);

// Change highlighting. Row forms: a null row names {position, row type}.
OMBREL_GRID_CALL(ScheduleRepaint, NoResult, CGridItem*, int, int, std::int64_t);
OMBREL_GRID_CALL(ScheduleCellRepaint, NoResult, CGridItem*, std::int32_t, std::int64_t);
OMBREL_GRID_CALL(ScheduleCellRepaintPosted, NoResult, CGridItem*, std::int32_t, std::int64_t);
template <>
struct GridCallOf<GridOperation::GetElapsedSinceChange>
    : GridSignature<std::int64_t, CGridItem*, int, int, std::int32_t>
{
    static constexpr std::int64_t kNeutral = -1;
};

// Appearance and drawing.
OMBREL_GRID_CALL(GetAppearance, GridAppearance*);
OMBREL_GRID_CALL(SetAppearance, NoResult, const GridAppearance*);
OMBREL_GRID_CALL(GetBackgroundImage, BackgroundImage*);
OMBREL_GRID_CALL(SetBackgroundImage, NoResult, const BackgroundImage*);
OMBREL_GRID_CALL(SetPaintOptions, NoResult, std::uint32_t);
OMBREL_GRID_CALL(GetPaintOptions, std::uint32_t);
OMBREL_GRID_CALL(SetDoubleBuffer, NoResult, bool);
OMBREL_GRID_CALL(GetDoubleBuffer, bool);
OMBREL_GRID_CALL(SetImageList, NoResult, CImageList*, bool);
OMBREL_GRID_CALL(GetImageList, CImageList*);
OMBREL_GRID_CALL(SetStretchImages, NoResult, bool);
OMBREL_GRID_CALL(GetStretchImages, bool);
OMBREL_GRID_CALL(SetButtonsOnAllRows, NoResult, bool);
OMBREL_GRID_CALL(HasButtonsOnAllRows, bool);
OMBREL_GRID_CALL(GetHighlightSettings, HighlightSettings*);
OMBREL_GRID_CALL(SetHighlightSettings, NoResult, const HighlightSettings*);
OMBREL_GRID_CALL(ShowSeparator, NoResult, bool);
OMBREL_GRID_CALL(IsSeparatorShown, bool);
OMBREL_GRID_CALL(SetSeparatorThickness, NoResult, int);
OMBREL_GRID_CALL(GetSeparatorThickness, int);
OMBREL_GRID_CALL(SetCustomDraw, ICustomDraw*, ICustomDraw*);
OMBREL_GRID_CALL(GetCustomDraw, ICustomDraw*);

// Settings stored for the services.
OMBREL_GRID_CALL(SetTooltipKind, NoResult, int);
OMBREL_GRID_CALL(GetTooltipKind, int);
OMBREL_GRID_CALL(GetTooltipSettings, TooltipSettings*);
OMBREL_GRID_CALL(SetTooltipSettings, NoResult, const TooltipSettings*);
OMBREL_GRID_CALL(GetInPlaceTooltipSettings, TooltipSettings*);
OMBREL_GRID_CALL(SetInPlaceTooltipSettings, NoResult, const TooltipSettings*);
OMBREL_GRID_CALL(GetPasteSettings, PasteSettings*);
OMBREL_GRID_CALL(SetPasteSettings, NoResult, const PasteSettings*);
OMBREL_GRID_CALL(EnablePaste, NoResult, bool);
OMBREL_GRID_CALL(IsPasteEnabled, bool);
OMBREL_GRID_CALL(GetDropSettings, DropSettings*);
OMBREL_GRID_CALL(SetDropSettings, NoResult, const DropSettings*);
OMBREL_GRID_CALL(SetDropOption, NoResult, bool);
OMBREL_GRID_CALL(GetDropOption, bool);
OMBREL_GRID_CALL(SetKeyboardTypes, NoResult, int);
OMBREL_GRID_CALL(IsKeyboardType, bool, int);
OMBREL_GRID_CALL(GetEditInPlaceSettings, EditInPlaceSettings*);
OMBREL_GRID_CALL(SetEditInPlaceSettings, NoResult, const EditInPlaceSettings*);

OMBREL_GRID_CALL(ProcessKeyCommand, bool, const GridKeyCommand*);
OMBREL_GRID_CALL(Serialize, NoResult, CArchive*);

#undef OMBREL_GRID_CALL
#undef OMBREL_GRID_CALL_MINUS_ONE

} // namespace Ombrel::GUI
