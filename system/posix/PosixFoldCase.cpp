// Letter case by the C library's Unicode tables, in a locale of its own so
// that neither the user's language nor the process locale changes a match.
#include "system/Wildcard.h"

#include <locale.h>
#include <wctype.h>

namespace platform {

namespace {
locale_t Utf8Locale() {
    // Null when the system lacks C.UTF-8: then only ASCII letters fold.
    static const locale_t locale = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
    return locale;
}
} // namespace

char32_t LowerCaseLetter(char32_t c) {
    if (c < 0x80 || !Utf8Locale())
        return c >= U'A' && c <= U'Z' ? c + 0x20 : c;
    return static_cast<char32_t>(::towlower_l(static_cast<wint_t>(c), Utf8Locale()));
}

} // namespace platform
