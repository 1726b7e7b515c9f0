#pragma once

#include <cstddef>
#include <string>

namespace Ombrel::Viewer {

// Replaces every invalid UTF-8 sequence in `text` (stray continuation bytes, truncated or
// overlong sequences, surrogates, code points above U+10FFFF) with U+FFFD, in place.
// Returns how many bytes were replaced. Valid text is left untouched and costs one scan.
std::size_t RepairUtf8(std::string& text);

} // namespace Ombrel::Viewer
