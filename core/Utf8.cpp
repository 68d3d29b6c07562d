#include "Utf8.h"

namespace platform {

std::optional<char32_t> NextCodePoint(std::string_view text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead < 0x80           ? 1
                               : (lead >> 5) == 0x6  ? 2
                               : (lead >> 4) == 0xE  ? 3
                               : (lead >> 3) == 0x1E ? 4
                                                     : 0;
    bool valid = length > 0 && at + length <= text.size();
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t i = 1; valid && i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        valid = (next & 0xC0) == 0x80;
        code = code << 6 | (next & 0x3F);
    }
    // The shortest form only, and no code point UTF-16 could not carry.
    constexpr char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (!valid || code < kShortest[length] || code > 0x10FFFF ||
        (code >= 0xD800 && code <= 0xDFFF)) {
        ++at;
        return std::nullopt;
    }
    at += length;
    return code;
}

} // namespace platform
