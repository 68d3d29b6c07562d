// Letter case by the system's own mapping, independent of the user's language.
#include "system/Wildcard.h"

#include <windows.h>

namespace platform {

char32_t LowerCaseLetter(char32_t c) {
    if (c < 0x80)
        return c >= U'A' && c <= U'Z' ? c + 0x20 : c;
    // One code point as UTF-16: one unit, or a surrogate pair.
    wchar_t units[2];
    int count = 1;
    if (c < 0x10000) {
        units[0] = static_cast<wchar_t>(c);
    } else {
        units[0] = static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
        units[1] = static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        count = 2;
    }
    wchar_t lower[2];
    if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, units, count, lower, 2, nullptr,
                      nullptr, 0) != count)
        return c;
    if (count == 1)
        return lower[0];
    return 0x10000 + ((static_cast<char32_t>(lower[0]) - 0xD800) << 10) +
           (static_cast<char32_t>(lower[1]) - 0xDC00);
}

} // namespace platform
