#pragma once

#include <cstdint>

namespace Ombrel::GUI {

// Why an in-place edit ends. The editor's hook turns keys, clicks, the wheel and focus changes
// into these codes; the grid adds EndFocusLost for a click on itself, the check box
// EndImmediate. Whether a code writes the editor's value back is CEditInPlace::IsCommitCode.
enum EditEndCode : int
{
    EndNone = 0,
    EndEnter = 1,
    EndEscape = 2,
    EndUp = 3,
    EndDown = 4,
    EndLeft = 5,
    EndRight = 6,
    EndPageUp = 7,
    EndPageDown = 8,
    EndHome = 9,
    EndEnd = 10,
    EndUnused = 11, // never produced by an editor; ends without navigating
    EndTab = 12,
    EndShiftTab = 13,
    EndCtrlTab = 14,
    EndWheelForward = 15,
    EndWheelBackward = 16,
    EndRightButton = 17,
    EndLeftButton = 18,
    EndLeftDoubleClick = 19,
    EndRightDoubleClick = 20,
    EndDropDownAccepted = 21,
    EndDropDownCancelled = 22,
    EndFocusLost = 23, // the editor lost the focus, or the grid was clicked
    EndImmediate = 24, // a reflector that needs no editor (the check box) ends at once
};

// What started an edit. An application calling CGrid::BeginEdit may pass any other value.
enum EditStartTrigger : int
{
    StartByClick = 0,
    StartByDoubleClick = 1,
    StartByNavigation = 2, // keyboard navigation from the previous editor
};

// Keyboard navigation looks at this many candidate cells at most before it gives up, so a
// long run of read-only cells cannot stall the window thread.
constexpr int kMaxNavigationCandidates = 1000;

// Control identifiers of the editors inside the grid window.
constexpr unsigned kComboEditorId = 100;
constexpr unsigned kTextEditorId = 101;
constexpr unsigned kDateEditorId = 103;

} // namespace Ombrel::GUI
