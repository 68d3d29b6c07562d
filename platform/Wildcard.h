#pragma once
// Letter-case folding shared by wildcard matching and the sorting of file
// lists: Latin, Greek and Cyrillic letters, on UTF-8 text.
#include <string>

namespace platform {

// The lower-case form of a capital letter; any other code point unchanged.
char32_t FoldCase(char32_t c);
// The code points of UTF-8 `text`, case-folded. A byte that is not valid
// UTF-8 stands for the code point of the same number.
std::u32string FoldedCodePoints(const std::string& text);

} // namespace platform
