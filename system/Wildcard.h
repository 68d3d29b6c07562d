#pragma once
// Wildcard matching of file names, and the letter-case folding it shares with
// the sorting of file lists, on UTF-8 text, by the system's own Unicode case
// mapping.
#include <string>

namespace platform {

// Wildcard match of one name against one pattern ('*' any run, '?' one
// character), letter case ignored. As in a shell, a name beginning with "."
// (a hidden file) matches only a pattern that begins with ".".
bool WildcardMatch(const std::string& pattern, const std::string& name);

// The lower-case form of a capital letter; any other code point unchanged.
// One per system (posix/, win32/).
char32_t LowerCaseLetter(char32_t c);
// The code points of UTF-8 `text`, case-folded. A byte that is not valid
// UTF-8 stands for the code point of the same number.
std::u32string FoldedCodePoints(const std::string& text);

} // namespace platform
