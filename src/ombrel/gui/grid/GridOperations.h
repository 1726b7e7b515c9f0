#pragma once

namespace Ombrel::GUI {

// Codes of the grid's operations. A call from a thread other than the grid's window thread
// is carried to the window thread with the registered message "Ombrel.Grid.SyncMessage":
// the code in wParam, the address of the operation's parameter record (arguments followed by
// room for the result, on the caller's stack) in lParam. The implementation also posts some
// codes to itself (marked "posted"); a posted record lives on the heap and the handler frees
// it. A code the grid does not know does nothing and returns 0. The numbers are fixed: other
// processes' tools and stored scripts may name them.
enum class GridOperation : int
{
    Initialize = 1,

    // Rows.
    Add = 3,
    AddPosted = 4, // posted; the handler frees the record
    Remove = 5,
    RemoveAt = 7,
    RemoveAll = 8,
    FindRows = 9,
    GetAllRows = 10,
    Attach = 17,
    Detach = 18,
    GetRowType = 19,
    IsVisible = 20,
    IsExpanded = 21,
    GetChildren = 22,
    HasChildren = 23,
    GetLevel = 24,
    GetParent = 25,
    Expand = 26, // also Collapse: the record's flag selects collapsing
    GetVisibleIndex = 27,
    GetRowAt = 28,
    FindRow = 29,
    GetPrevRow = 31,
    GetNextRow = 32,
    GetDataObject = 33,
    IsValid = 34,
    GetRowCount = 35,
    ForEachRow = 36,
    ForEachVisibleRow = 37,
    Move = 38,

    // Field values of a row, through its data object.
    GetFieldValue = 11,
    GetFieldText = 12,
    GetFieldTextString = 13,
    SetFieldValue = 14,
    SetFieldText = 15,
    SetFieldTextString = 16,

    // Layout and scrolling.
    HitTestRow = 30,
    GetRowsArea = 39,
    Reserved40 = 40, // does nothing
    GetRowRect = 41,
    GetVisibleRowRect = 42,
    GetCellRect = 43,
    GetVisibleCellRect = 44,
    GetPageRowCount = 45,
    GetRowHeight = 46,
    SetRowHeight = 47,
    UpdateLayout = 48,
    DeferredUpdateLayout = 49, // posted
    GetTopRow = 51,
    GetLastVisibleIndex = 52,
    EnsureVisible = 53,
    IsOnScreen = 54,
    SetTopRow = 55,
    ScrollToRow = 56,
    AutoSizeRows = 143,
    RecalcRowHeights = 172,
    GetOptimalWidth = 173,

    // Focus and selection.
    GetSelectedCount = 57,
    GetSelectedRows = 58,
    Select = 59,
    SelectAt = 60,
    IsSelectedAt = 61,
    IsSelected = 62,
    SelectAll = 63,
    ClearSelection = 64,
    SetFocus = 65,
    GetFocusIndex = 66,
    GetFocusType = 67,
    SetFocusableTypes = 68,
    IsFocusable = 69,
    EnableSelection = 91,
    IsSelectionEnabled = 92,
    EnableMultipleSelection = 93,
    IsMultipleSelectionEnabled = 94,
    SetSelectableTypes = 95,
    IsSelectable = 96,
    EnableNotifications = 168,
    AreNotificationsEnabled = 169,

    // Sorting and filtering.
    SetSortedTypes = 150,
    GetSortedTypes = 151,
    ClearSort = 156,
    SetSortInfo = 157,
    GetSortInfo = 158,
    Resort = 159,
    GetSortLevelCount = 160,
    SetFilter = 161,
    GetFilter = 162,
    RefreshFilter = 163,

    // Header and columns.
    SetHeader = 105,
    GetHeader = 106,
    HeaderChanged = 107, // sent by the grid's header listener
    ShowHeader = 108,
    IsHeaderShown = 109,
    AutoSizeColumn = 111,
    AutoSizeColumnAt = 112,
    AutoSizeColumns = 113,
    MeasureHeaderHeight = 114,
    HitTestColumn = 115,
    GetFocusColumn = 116,
    GetHierarchyColumn = 117,
    EnsureColumnVisible = 118,
    SetSortEnabled = 152,
    IsSortEnabled = 153,
    SetMultiSortEnabled = 154,
    IsMultiSortEnabled = 155,

    // Change highlighting.
    ScheduleRepaint = 80,
    ScheduleCellRepaint = 81,
    ScheduleCellRepaintPosted = 82, // posted; the handler frees the record
    GetElapsedSinceChange = 83,

    // Appearance and drawing.
    GetAppearance = 70,
    SetAppearance = 71,
    GetBackgroundImage = 72,
    SetBackgroundImage = 73,
    RebuildResources = 74, // posted
    SetPaintOptions = 76,
    GetPaintOptions = 77,
    SetDoubleBuffer = 78,
    GetDoubleBuffer = 79,
    SetImageList = 84,
    GetImageList = 85,
    SetStretchImages = 86,
    GetStretchImages = 87,
    SetButtonsOnAllRows = 97,
    HasButtonsOnAllRows = 98,
    GetHighlightSettings = 99,
    SetHighlightSettings = 100,
    ShowSeparator = 101,
    IsSeparatorShown = 102,
    SetSeparatorThickness = 103,
    GetSeparatorThickness = 104,
    SetCustomDraw = 170,
    GetCustomDraw = 171,

    // Settings records and switches stored with the grid for the services that read them.
    SetTooltipKind = 89,
    GetTooltipKind = 90,
    GetTooltipSettings = 125,
    SetTooltipSettings = 126,
    GetInPlaceTooltipSettings = 129,
    SetInPlaceTooltipSettings = 130,
    GetPasteSettings = 139,
    SetPasteSettings = 140,
    EnablePaste = 141,
    IsPasteEnabled = 142,
    GetDropSettings = 146,
    SetDropSettings = 147,
    SetDropOption = 148,
    GetDropOption = 149,
    SetKeyboardTypes = 166,
    IsKeyboardType = 167,
    GetEditInPlaceSettings = 188,
    SetEditInPlaceSettings = 189,

    // Keyboard commands (type-ahead search).
    ProcessKeyCommand = 176,

    Serialize = 190,
};

} // namespace Ombrel::GUI
