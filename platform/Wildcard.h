#pragma once
// Letter-case folding shared by wildcard matching and the sorting of file
// lists, on UTF-8 text, by the system's own Unicode case mapping.
#include <string>

namespace platform {

// The lower-case form of a capital letter; any other code point unchanged.
// One per system (platform/posix, platform/win32).
char32_t LowerCaseLetter(char32_t c);
// The code points of UTF-8 `text`, case-folded. A byte that is not valid
// UTF-8 stands for the code point of the same number.
std::u32string FoldedCodePoints(const std::string& text);

} // namespace platform
