#include "ombrel/platform/SystemColors.h"
#include "ombrel/platform/qt/QtDrawing.h"

#include <QGuiApplication>
#include <QPalette>

#include <array>
#include <optional>

namespace Ombrel {

namespace {

struct PaletteEntry
{
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
    COLORREF classic; // used without an application object
};

constexpr int kColorCount = COLOR_HOTLIGHT + 1;

// Where each system colour lives in a Qt palette. Index 25 is unused on the platform too.
const std::array<std::optional<PaletteEntry>, kColorCount>& Entries()
{
    using G = QPalette::ColorGroup;
    using R = QPalette::ColorRole;
    static const std::array<std::optional<PaletteEntry>, kColorCount> entries = {{
        PaletteEntry{G::Active, R::Window, RGB(200, 200, 200)},          // scroll bar
        PaletteEntry{G::Active, R::Dark, RGB(0, 0, 0)},                  // desktop
        PaletteEntry{G::Active, R::Highlight, RGB(153, 180, 209)},       // active caption
        PaletteEntry{G::Inactive, R::Mid, RGB(191, 205, 219)},           // inactive caption
        PaletteEntry{G::Active, R::Window, RGB(240, 240, 240)},          // menu
        PaletteEntry{G::Active, R::Base, RGB(255, 255, 255)},            // window
        PaletteEntry{G::Active, R::Shadow, RGB(100, 100, 100)},          // window frame
        PaletteEntry{G::Active, R::WindowText, RGB(0, 0, 0)},            // menu text
        PaletteEntry{G::Active, R::Text, RGB(0, 0, 0)},                  // window text
        PaletteEntry{G::Active, R::HighlightedText, RGB(0, 0, 0)},       // caption text
        PaletteEntry{G::Active, R::Window, RGB(180, 180, 180)},          // active border
        PaletteEntry{G::Inactive, R::Window, RGB(244, 247, 252)},        // inactive border
        PaletteEntry{G::Active, R::Mid, RGB(171, 171, 171)},             // app workspace
        PaletteEntry{G::Active, R::Highlight, RGB(0, 120, 215)},         // highlight
        PaletteEntry{G::Active, R::HighlightedText, RGB(255, 255, 255)}, // highlight text
        PaletteEntry{G::Active, R::Button, RGB(240, 240, 240)},          // button face
        PaletteEntry{G::Active, R::Dark, RGB(160, 160, 160)},            // button shadow
        PaletteEntry{G::Disabled, R::Text, RGB(109, 109, 109)},          // grey text
        PaletteEntry{G::Active, R::ButtonText, RGB(0, 0, 0)},            // button text
        PaletteEntry{G::Inactive, R::Text, RGB(0, 0, 0)},                // inactive caption text
        PaletteEntry{G::Active, R::Light, RGB(255, 255, 255)},           // button highlight
        PaletteEntry{G::Active, R::Shadow, RGB(105, 105, 105)},          // 3D dark shadow
        PaletteEntry{G::Active, R::Midlight, RGB(227, 227, 227)},        // 3D light
        PaletteEntry{G::Active, R::ToolTipText, RGB(0, 0, 0)},           // tooltip text
        PaletteEntry{G::Active, R::ToolTipBase, RGB(255, 255, 225)},     // tooltip background
        std::nullopt,
        PaletteEntry{G::Active, R::Link, RGB(0, 102, 204)}, // hot-tracked item
    }};
    return entries;
}

} // namespace

COLORREF GetSysColor(int index)
{
    if (index < 0 || index >= kColorCount || !Entries()[static_cast<std::size_t>(index)]) {
        return 0;
    }
    const PaletteEntry& entry = *Entries()[static_cast<std::size_t>(index)];
    if (!QGuiApplication::instance()) {
        return entry.classic;
    }
    return FromQColor(QGuiApplication::palette().color(entry.group, entry.role));
}

} // namespace Ombrel
