#pragma once

#include <cstdint>

namespace Ombrel {
class CArchive;
}

namespace Ombrel::GUI {

// How a grid goes onto paper. A preview takes a copy when it opens and changes its own copy
// (printer zoom); printing reads the copy it is given.
struct PrintSettings
{
    bool headerOnFirstBand = true;     // the column header above the first band
    bool headerOnEveryBand = false;    // ... and again above every following band
    bool printFixedRows = true;        // ROW_FIXED rows, before the normal ones
    bool printNormalRows = true;       // ROW_NORMAL rows
    // Scale of the grid on paper: 0.5 puts twice as many rows and columns on a page. Nothing
    // is paginated while it is not positive.
    double printerZoom = 1.0;
    // Margins in millimetres, added inside the printer's printable area.
    std::int32_t topMargin = 3;
    std::int32_t bottomMargin = 0;
    std::int32_t leftMargin = 10;
    std::int32_t rightMargin = 10;

    bool operator==(const PrintSettings&) const = default;
};

// Inches per millimetre, for the margins.
constexpr double kInchesPerMillimetre = 0.03937007874015748;

// Stores or restores `settings`: a 32-bit version (1), then the members in declaration order
// at their own widths (bools as one byte, the zoom as a double, margins as 32-bit integers).
// Loading a newer version throws CArchiveException::badSchema; a version of 0 or less loads
// nothing more and keeps `settings`. A record that ends early or holds a zoom that is not a
// finite number throws and leaves `settings` as it was.
void SerializePrintSettings(CArchive& archive, PrintSettings& settings);

} // namespace Ombrel::GUI
