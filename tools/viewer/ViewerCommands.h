#pragma once

#include "ombrel/Platform.h"

namespace Ombrel::Viewer {

// Command identifiers of the viewer's menus.
constexpr UINT ID_FILE_CANCEL_LOAD = 0x8101;
constexpr UINT ID_VIEW_COLUMNS = 0x8102;
// The platform's standard File commands for printing.
constexpr UINT ID_FILE_PRINT = 0xE107;
constexpr UINT ID_FILE_PRINT_PREVIEW = 0xE109;
// The platform's standard Edit commands.
constexpr UINT ID_EDIT_COPY = 0xE122;
constexpr UINT ID_EDIT_SELECT_ALL = 0xE12A;

} // namespace Ombrel::Viewer
