#include "Utf8Repair.h"

#include <cstddef>
#include <cstdint>
#include <utility>

namespace Ombrel::Viewer {

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";

// The length of the valid sequence starting at `at`, 0 when it is not valid.
std::size_t ValidSequenceLength(const std::string& text, std::size_t at)
{
    const auto byte = [&](std::size_t index) { return static_cast<std::uint8_t>(text[index]); };
    const std::uint8_t lead = byte(at);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    std::uint8_t low = 0x80;  // the range of the second byte, which rules out overlong
    std::uint8_t high = 0xBF; // forms, surrogates and code points above U+10FFFF
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else
        return 0;
    if (at + length > text.size() || byte(at + 1) < low || byte(at + 1) > high)
        return 0;
    for (std::size_t index = at + 2; index < at + length; ++index)
        if ((byte(index) & 0xC0) != 0x80)
            return 0;
    return length;
}

} // namespace

std::size_t RepairUtf8(std::string& text)
{
    std::size_t at = 0;
    while (at < text.size() && static_cast<std::uint8_t>(text[at]) < 0x80)
        ++at;
    std::size_t replaced = 0;
    std::string result;
    while (at < text.size()) {
        const std::size_t length = ValidSequenceLength(text, at);
        if (length > 0) {
            if (replaced > 0)
                result.append(text, at, length);
            at += length;
            continue;
        }
        if (replaced == 0)
            result.assign(text, 0, at);
        ++replaced;
        result += kReplacement;
        ++at;
    }
    if (replaced > 0)
        text = std::move(result);
    return replaced;
}

} // namespace Ombrel::Viewer
