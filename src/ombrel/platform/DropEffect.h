#pragma once

#include "ombrel/platform/Messages.h"

#include <cstdint>

// What a drop does with the dragged data: the source allows a set of effects, the target
// answers one of them (or none) while the pointer moves and at the drop.

namespace Ombrel {

using DROPEFFECT = std::uint32_t;

constexpr DROPEFFECT DROPEFFECT_NONE = 0;
constexpr DROPEFFECT DROPEFFECT_COPY = 1;
constexpr DROPEFFECT DROPEFFECT_MOVE = 2;

// Key state bits a drop target is told, beside the MK_* mouse-key flags of Messages.h.
constexpr DWORD MK_ALT = 0x0020;

} // namespace Ombrel
