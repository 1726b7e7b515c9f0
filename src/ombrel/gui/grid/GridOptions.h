#pragma once

#include "ombrel/gui/paint/PaintFlags.h"

#include <cstdint>

namespace Ombrel::GUI {

class CHeader;

// The grid's switches and masks that several of its parts read: layout, selection, painting.
// Owned by the grid implementation and changed only through its operations, on the window
// thread; the parts hold a const reference and read the current values when they need them.
struct GridOptions
{
    CHeader* header = nullptr;
    bool showHeader = true;

    // Band between the fixed and the normal rows.
    bool showSeparator = true;
    std::int32_t separatorThickness = 2;

    // Paint option bits; PaintTreeIndent also makes expand buttons react to clicks.
    std::uint32_t paintOptions = kAllPaintOptions;
    bool doubleBuffer = true;
    // Every row shows an expand button, not only rows with children.
    bool buttonsOnAllRows = false;

    std::int32_t focusableTypes = 3;  // row-type mask
    bool selectionEnabled = true;
    bool multipleSelection = true;
    std::int32_t selectableTypes = 3; // row-type mask
    bool notificationsEnabled = true;
    std::int32_t keyboardTypes = 3;   // row-type mask
    std::uint32_t typeAheadTimeoutMs = 1000;

    // Lines per wheel notch; -1 scrolls a page per notch.
    std::int32_t wheelScrollLines = 3;
};

} // namespace Ombrel::GUI
