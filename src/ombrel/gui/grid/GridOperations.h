#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace Ombrel::GUI {

// The grid's operations: one list, from which the operation codes, the parameter records
// (GridCallRecords.h) and the dispatch on the window thread all come.
//
// A call from a thread other than the grid's window thread is carried to the window thread
// with the registered message "Ombrel.Grid.SyncMessage": the code in wParam, the address of
// the operation's parameter record (arguments followed by room for the result, on the
// caller's stack) in lParam. The implementation also posts some codes to itself (the Posted
// group); a posted record lives on the heap and its handler frees it. A code that is not in
// the list (2, 6, 40, 50, 75, 88, 178, 179 and everything past 192) does nothing and returns
// 0. The numbers are fixed: other processes' tools and stored scripts may name them.
//
// Each entry reads X(name, code, neutral result, result type, argument types...). The neutral
// result is what a caller gets when the call cannot run ({} for false, null, 0 or empty).
// Operations come in groups; each group is run by one function of CGridImpl in a file of its
// own (GridImpl<Group>Operations.cpp), whose switch names every operation of the group: a
// new entry without a handler does not compile. A new group needs a line in
// OMBREL_GRID_OPERATION_GROUPS, a Run<Group>Operation function and a case in Dispatch.

#define OMBREL_GRID_OPERATION_GROUPS(G)                                                     \
    G(Rows) G(Layout) G(Selection) G(Header) G(Appearance) G(Services) G(Embedded) G(Printing) G(State) G(Posted)

#define OMBREL_GRID_OPS_Rows(X) \
    /* Rows. */ \
    X(Add, 3, {}, CGridItem*, Common::CDataObject*, CGridItem*, CGridItem*) \
    /* {objects, parent, insert-after}: one row per object, registered and sorted as one burst */ \
    X(AddMany, 191, {}, RowList, ObjectSpan, CGridItem*, CGridItem*) \
    /* {count, row type}: room for that many more rows before they come */ \
    X(ReserveRows, 192, {}, NoResult, std::uint64_t, int) \
    X(Remove, 5, {}, bool, CGridItem*) \
    X(RemoveAt, 7, {}, bool, int, int) \
    X(RemoveAll, 8, {}, bool, int) \
    X(FindRows, 9, {}, int, Common::CDataObject*, RowList*, int, bool) \
    X(GetAllRows, 10, {}, NoResult, int, RowList*) \
    X(Attach, 17, {}, bool, CGridItem*, CGridItem*, CGridItem*) \
    X(Detach, 18, {}, bool, CGridItem*) \
    X(GetRowType, 19, {}, int, CGridItem*) \
    X(IsVisible, 20, {}, bool, CGridItem*) \
    X(IsExpanded, 21, {}, bool, CGridItem*) \
    X(GetChildren, 22, {}, NoResult, CGridItem*, RowList*) \
    X(HasChildren, 23, {}, bool, CGridItem*) \
    X(GetLevel, 24, -1, int, CGridItem*) \
    X(GetParent, 25, {}, CGridItem*, CGridItem*) \
    /* {row, collapse, recursive} */ \
    X(Expand, 26, {}, NoResult, CGridItem*, bool, bool) /* also Collapse: the record's flag selects collapsing */ \
    X(GetVisibleIndex, 27, -1, int, CGridItem*) \
    X(GetRowAt, 28, {}, CGridItem*, int, int) \
    X(FindRow, 29, {}, CGridItem*, Common::CDataObject*) \
    X(GetPrevRow, 31, {}, CGridItem*, CGridItem*, bool) \
    X(GetNextRow, 32, {}, CGridItem*, CGridItem*, bool) \
    X(GetDataObject, 33, {}, Common::CDataObject*, CGridItem*) \
    X(IsValid, 34, {}, bool, CGridItem*) \
    X(GetRowCount, 35, {}, int, int) \
    X(ForEachRow, 36, {}, int, CGridItem*, const GridRowVisitor*) \
    X(ForEachVisibleRow, 37, {}, int, int, int, const GridRowVisitor*) \
    /* {row, reference, parent, before} */ \
    X(Move, 38, {}, NoResult, CGridItem*, CGridItem*, CGridItem*, bool) \
    /* Field values. */ \
    X(GetFieldValue, 11, {}, Common::CValue, CGridItem*, std::int32_t) \
    X(GetFieldText, 12, {}, std::string, CGridItem*, std::int32_t) \
    X(GetFieldTextString, 13, {}, CString, CGridItem*, std::int32_t) \
    X(SetFieldValue, 14, {}, bool, CGridItem*, std::int32_t, const Common::CValue*) \
    /* {row, field, text, notify, format}: a null format is the cell's format */ \
    X(SetFieldText, 15, {}, bool, CGridItem*, std::int32_t, const std::string*, bool, Common::CFormat*) \
    X(SetFieldTextString, 16, {}, bool, CGridItem*, std::int32_t, const CString*, bool, Common::CFormat*) \
    /* Sorting and filtering. */ \
    X(SetSortedTypes, 150, {}, NoResult, int) \
    X(GetSortedTypes, 151, {}, int) \
    X(ClearSort, 156, {}, NoResult) \
    X(SetSortInfo, 157, {}, NoResult, int, CSortInfo, bool) \
    X(GetSortInfo, 158, {}, CSortInfo, int) \
    X(Resort, 159, {}, NoResult) \
    X(GetSortLevelCount, 160, {}, int) \
    X(SetFilter, 161, {}, IRowFilter*, IRowFilter*) \
    X(GetFilter, 162, {}, IRowFilter*) \
    X(RefreshFilter, 163, {}, NoResult)

#define OMBREL_GRID_OPS_Layout(X) \
    /* Layout and scrolling. */ \
    X(HitTestRow, 30, {}, CGridItem*, int, int) \
    X(GetRowsArea, 39, {}, CRect, int) \
    X(GetRowRect, 41, {}, CRect, CGridItem*) \
    X(GetVisibleRowRect, 42, {}, CRect, CGridItem*) \
    X(GetCellRect, 43, {}, CRect, CGridItem*, std::int32_t) \
    X(GetVisibleCellRect, 44, {}, CRect, CGridItem*, std::int32_t) \
    /* {downwards}: rows that fit from the top row down, or up from it */ \
    X(GetPageRowCount, 45, {}, int, bool) \
    X(GetRowHeight, 46, -1, int, CGridItem*) \
    X(SetRowHeight, 47, {}, NoResult, CGridItem*, int) \
    X(UpdateLayout, 48, {}, NoResult) \
    X(GetTopRow, 51, -1, int) \
    X(GetLastVisibleIndex, 52, -1, int, int) \
    /* {row, position}: a null row names the position. */ \
    X(EnsureVisible, 53, {}, NoResult, CGridItem*, int) \
    /* {row, position, row type}: a null row names the position. */ \
    X(IsOnScreen, 54, {}, bool, CGridItem*, int, int) \
    X(SetTopRow, 55, {}, bool, int) \
    X(ScrollToRow, 56, {}, NoResult, CGridItem*) \
    X(AutoSizeRows, 143, {}, NoResult) \
    X(RecalcRowHeights, 172, {}, NoResult, int) \
    X(GetOptimalWidth, 173, {}, int, std::int32_t)

#define OMBREL_GRID_OPS_Selection(X) \
    /* Focus and selection. */ \
    X(GetSelectedCount, 57, {}, int) \
    X(GetSelectedRows, 58, {}, NoResult, int, RowList*) \
    X(Select, 59, {}, bool, CGridItem*, bool) \
    X(SelectAt, 60, {}, bool, int, int, bool) \
    X(IsSelectedAt, 61, {}, bool, int, int) \
    X(IsSelected, 62, {}, bool, CGridItem*) \
    X(SelectAll, 63, {}, NoResult) \
    X(ClearSelection, 64, {}, NoResult) \
    X(SetFocus, 65, {}, bool, int, int) \
    X(GetFocusIndex, 66, -1, int) \
    X(GetFocusType, 67, {}, int) \
    X(SetFocusableTypes, 68, {}, NoResult, int) \
    X(IsFocusable, 69, {}, bool, int) \
    X(EnableSelection, 91, {}, NoResult, bool) \
    X(IsSelectionEnabled, 92, {}, bool) \
    X(EnableMultipleSelection, 93, {}, NoResult, bool) \
    X(IsMultipleSelectionEnabled, 94, {}, bool) \
    X(SetSelectableTypes, 95, {}, NoResult, int) \
    X(IsSelectable, 96, {}, bool, int) \
    X(EnableNotifications, 168, {}, NoResult, bool) \
    X(AreNotificationsEnabled, 169, {}, bool)

#define OMBREL_GRID_OPS_Header(X) \
    /* Header and columns. */ \
    X(SetHeader, 105, {}, CHeader*, CHeader*) \
    X(GetHeader, 106, {}, CHeader*) \
    /* {header, column, header change code} */ \
    X(HeaderChanged, 107, {}, NoResult, CHeader*, CColumn*, int) /* sent by the grid's header listener */ \
    X(ShowHeader, 108, {}, NoResult, bool) \
    X(IsHeaderShown, 109, {}, bool) \
    X(AutoSizeColumn, 111, {}, NoResult, std::int32_t) \
    X(AutoSizeColumnAt, 112, {}, NoResult, int) \
    X(AutoSizeColumns, 113, {}, NoResult) \
    X(MeasureHeaderHeight, 114, {}, int) \
    X(HitTestColumn, 115, {}, CColumn*, int, int) \
    X(GetFocusColumn, 116, {}, CColumn*) \
    X(GetHierarchyColumn, 117, {}, std::int32_t) \
    X(EnsureColumnVisible, 118, {}, NoResult, std::int32_t) \
    X(SetSortEnabled, 152, {}, NoResult, bool) \
    X(IsSortEnabled, 153, {}, bool) \
    X(SetMultiSortEnabled, 154, {}, NoResult, bool) \
    X(IsMultiSortEnabled, 155, {}, bool)

#define OMBREL_GRID_OPS_Appearance(X) \
    /* Change highlighting. Row forms: a null row names {position, row type}. */ \
    X(ScheduleRepaint, 80, {}, NoResult, CGridItem*, int, int, std::int64_t) \
    X(ScheduleCellRepaint, 81, {}, NoResult, CGridItem*, std::int32_t, std::int64_t) \
    X(GetElapsedSinceChange, 83, -1, std::int64_t, CGridItem*, int, int, std::int32_t) \
    /* Appearance and drawing. */ \
    X(GetAppearance, 70, {}, GridAppearance*) \
    X(SetAppearance, 71, {}, NoResult, const GridAppearance*) \
    X(GetBackgroundImage, 72, {}, BackgroundImage*) \
    X(SetBackgroundImage, 73, {}, NoResult, const BackgroundImage*) \
    X(SetPaintOptions, 76, {}, NoResult, std::uint32_t) \
    X(GetPaintOptions, 77, {}, std::uint32_t) \
    X(SetDoubleBuffer, 78, {}, NoResult, bool) \
    X(GetDoubleBuffer, 79, {}, bool) \
    X(SetImageList, 84, {}, NoResult, CImageList*, bool) \
    X(GetImageList, 85, {}, CImageList*) \
    X(SetStretchImages, 86, {}, NoResult, bool) \
    X(GetStretchImages, 87, {}, bool) \
    X(SetButtonsOnAllRows, 97, {}, NoResult, bool) \
    X(HasButtonsOnAllRows, 98, {}, bool) \
    X(GetHighlightSettings, 99, {}, HighlightSettings*) \
    X(SetHighlightSettings, 100, {}, NoResult, const HighlightSettings*) \
    X(ShowSeparator, 101, {}, NoResult, bool) \
    X(IsSeparatorShown, 102, {}, bool) \
    X(SetSeparatorThickness, 103, {}, NoResult, int) \
    X(GetSeparatorThickness, 104, {}, int) \
    X(SetCustomDraw, 170, {}, ICustomDraw*, ICustomDraw*) \
    X(GetCustomDraw, 171, {}, ICustomDraw*)

#define OMBREL_GRID_OPS_Services(X) \
    /* Tooltips: forwarded to the grid's tooltip service. */ \
    X(SetTooltipKind, 89, {}, bool, int) \
    X(GetTooltipKind, 90, {}, int) \
    X(EnableInstantTooltipReshow, 119, {}, NoResult, bool) \
    X(IsInstantTooltipReshowEnabled, 120, {}, bool) \
    X(SetTooltip, 121, {}, NoResult, ITooltip*) \
    X(GetTooltip, 122, {}, ITooltip*) \
    X(SetTooltipCtrl, 123, {}, NoResult, ITooltipCtrl*) \
    X(GetTooltipCtrl, 124, {}, ITooltipCtrl*) \
    X(GetTooltipSettings, 125, {}, TooltipSettings*) \
    X(SetTooltipSettings, 126, {}, bool, const TooltipSettings*) \
    X(EnableTooltips, 127, {}, NoResult, bool) \
    X(AreTooltipsEnabled, 128, {}, bool) \
    X(GetInPlaceTooltipSettings, 129, {}, TooltipSettings*) \
    X(SetInPlaceTooltipSettings, 130, {}, bool, const TooltipSettings*) \
    X(SetInPlaceTooltipCtrl, 131, {}, NoResult, ITooltipCtrl*) \
    X(GetInPlaceTooltipCtrl, 132, {}, ITooltipCtrl*) \
    /* Settings stored for the other services. */ \
    X(GetPasteSettings, 139, {}, PasteSettings*) \
    X(SetPasteSettings, 140, {}, NoResult, const PasteSettings*) \
    X(EnablePaste, 141, {}, NoResult, bool) \
    X(IsPasteEnabled, 142, {}, bool) \
    X(GetDropSettings, 146, {}, DropSettings*) \
    X(SetDropSettings, 147, {}, NoResult, const DropSettings*) \
    X(SetDropOption, 148, {}, NoResult, bool) \
    X(GetDropOption, 149, {}, bool) \
    X(SetKeyboardTypes, 166, {}, NoResult, int) \
    X(IsKeyboardType, 167, {}, bool, int) \
    X(GetEditInPlaceSettings, 188, {}, EditInPlaceSettings*) \
    X(SetEditInPlaceSettings, 189, {}, NoResult, const EditInPlaceSettings*) \
    X(ProcessKeyCommand, 176, {}, bool, const GridKeyCommand*) \
    /* Keyboard and clipboard services: the grid's own, null for the process default. */ \
    X(SetKeyManager, 164, {}, IKeyManager*, IKeyManager*) \
    X(GetKeyManager, 165, {}, IKeyManager*) \
    X(Copy, 133, {}, bool) \
    X(Cut, 134, {}, bool) \
    X(Paste, 135, {}, bool) \
    X(CanPaste, 136, {}, bool) \
    X(SetCopyPaste, 137, {}, ICopyPaste*, ICopyPaste*) \
    X(GetCopyPaste, 138, {}, ICopyPaste*) \
    X(SetDragDrop, 144, {}, IDragDrop*, IDragDrop*) \
    X(GetDragDrop, 145, {}, IDragDrop*)

#define OMBREL_GRID_OPS_Embedded(X) \
    /* {control window, row, field identifier}: the cell's adapter, owned by the grid */ \
    X(AttachEmbeddedControl, 177, {}, CEmbeddedControlAdapter*, CWnd*, CGridItem*, std::int32_t) \
    X(HasEmbeddedControl, 180, {}, bool, CGridItem*, std::int32_t) \
    /* In-place editing: the grid's own policy, null for the process default. */ \
    X(SetEditInPlace, 181, {}, IEditInPlace*, IEditInPlace*) \
    X(GetEditInPlace, 182, {}, IEditInPlace*) \
    /* {row, position, row type, field, trigger}: a null row names the position */ \
    X(CanBeginEdit, 183, {}, bool, CGridItem*, int, int, std::int32_t, int) \
    X(BeginEdit, 184, {}, bool, CGridItem*, std::int32_t, int) \
    X(EndEdit, 185, {}, bool, int) \
    X(GetEditor, 186, {}, CWnd*)

#define OMBREL_GRID_OPS_Printing(X) \
    /* {settings, job}: pages printed */ \
    X(Print, 174, {}, int, const PrintSettings*, const PrintJob*) \
    /* {settings}: the open preview window, which the grid owns */ \
    X(PrintPreview, 175, {}, CGridPrintPreview*, const PrintSettings*)

#define OMBREL_GRID_OPS_State(X) \
    X(Serialize, 190, {}, NoResult, CArchive*)

#define OMBREL_GRID_OPS_Posted(X) \
    X(Initialize, 1, {}, NoResult) \
    X(AddPosted, 4, {}, NoResult, Common::CDataObject*, CGridItem*, CGridItem*) /* posted; the handler frees the record */ \
    X(DeferredUpdateLayout, 49, {}, NoResult) /* posted */ \
    X(ScheduleCellRepaintPosted, 82, {}, NoResult, CGridItem*, std::int32_t, std::int64_t) /* posted; the handler frees the record */ \
    X(RebuildResources, 74, {}, NoResult) /* posted */ \
    /* {row, field, end code, edit number}: posted by the editor's hook; the handler frees the record */ \
    X(EndEditRequest, 187, {}, NoResult, CGridItem*, std::int32_t, int, std::uint64_t)

// ---- What the lists make ------------------------------------------------------------------

#define OMBREL_GRID_ENUMERATOR(name, code, ...) name = code,
#define OMBREL_GRID_ALL_ENUMERATORS(group) OMBREL_GRID_OPS_##group(OMBREL_GRID_ENUMERATOR)

// Every operation code.
enum class GridOperation : int
{
    OMBREL_GRID_OPERATION_GROUPS(OMBREL_GRID_ALL_ENUMERATORS)
};

// The operations of one group, under the same names and codes: GridRowsOperation,
// GridLayoutOperation, ... A switch over one of them is checked for completeness.
#define OMBREL_GRID_GROUP_ENUM(group)                                                       \
    enum class Grid##group##Operation : int                                                 \
    {                                                                                       \
        OMBREL_GRID_OPS_##group(OMBREL_GRID_ENUMERATOR)                                     \
    };
OMBREL_GRID_OPERATION_GROUPS(OMBREL_GRID_GROUP_ENUM)
#undef OMBREL_GRID_GROUP_ENUM
#undef OMBREL_GRID_ALL_ENUMERATORS
#undef OMBREL_GRID_ENUMERATOR

#define OMBREL_GRID_GROUP_NAME(group) group,
enum class GridOperationGroup : int
{
    None, // not an operation code
    OMBREL_GRID_OPERATION_GROUPS(OMBREL_GRID_GROUP_NAME)
};
#undef OMBREL_GRID_GROUP_NAME

constexpr int kMaxGridOperationCode = 192;

namespace Detail {

// Group of each code, 0 .. kMaxGridOperationCode. Building it fails to compile when two
// entries share a code or a code lies outside that range.
constexpr std::array<GridOperationGroup, kMaxGridOperationCode + 1> MakeGridOperationGroups()
{
    std::array<GridOperationGroup, kMaxGridOperationCode + 1> groups{};
#define OMBREL_GRID_CODE(name, code, ...) code,
#define OMBREL_GRID_ASSIGN_GROUP(group)                                                      \
    for (int code : {OMBREL_GRID_OPS_##group(OMBREL_GRID_CODE)}) {                           \
        if (code < 0 || code > kMaxGridOperationCode)                                        \
            throw "operation code out of range: raise kMaxGridOperationCode";                \
        if (groups[static_cast<std::size_t>(code)] != GridOperationGroup::None)              \
            throw "two grid operations share one code";                                      \
        groups[static_cast<std::size_t>(code)] = GridOperationGroup::group;                  \
    }
    OMBREL_GRID_OPERATION_GROUPS(OMBREL_GRID_ASSIGN_GROUP)
#undef OMBREL_GRID_ASSIGN_GROUP
#undef OMBREL_GRID_CODE
    return groups;
}

inline constexpr auto kGridOperationGroups = MakeGridOperationGroups();

} // namespace Detail

// The group that runs `code`; None for a code that names no operation.
constexpr GridOperationGroup GroupOfGridOperation(std::int64_t code)
{
    if (code < 0 || code > kMaxGridOperationCode)
        return GridOperationGroup::None;
    return Detail::kGridOperationGroups[static_cast<std::size_t>(code)];
}

} // namespace Ombrel::GUI
