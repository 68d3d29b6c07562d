// Wildcard matching of file names as the Windows file functions do it:
// '*' matches any run of characters, '?' exactly one, and letter case is
// ignored. Names are UTF-8; a byte that is not valid UTF-8 stands for itself.
#include "Wildcard.h"

#include "FileSystem.h"

#include <cstdint>

namespace platform {

namespace {

// Decodes the code point at `at` and moves past it.
char32_t NextCodePoint(const std::string& text, size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const int length = lead < 0x80           ? 1
                       : (lead >> 5) == 0x6  ? 2
                       : (lead >> 4) == 0xE  ? 3
                       : (lead >> 3) == 0x1E ? 4
                                             : 1;
    if (length == 1 || at + length > text.size()) {
        ++at;
        return lead;
    }
    char32_t code = lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) {
            ++at;
            return lead; // not UTF-8: the byte stands for itself
        }
        code = (code << 6) | (next & 0x3F);
    }
    at += length;
    return code;
}

} // namespace

// The lower-case form of Latin, Greek and Cyrillic capitals; others unchanged.
char32_t FoldCase(char32_t c) {
    if (c >= 'A' && c <= 'Z')
        return c + 0x20;
    if (c < 0xC0)
        return c;
    if (c <= 0xDE && c != 0xD7) // Latin-1 capitals
        return c + 0x20;
    if (c >= 0x100 && c <= 0x137 && c != 0x130) // Latin Extended-A, even capitals
        return c | 1;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) // odd capitals
        return (c & 1) ? c + 1 : c;
    if (c >= 0x14A && c <= 0x177)
        return c | 1;
    if (c == 0x178)
        return 0xFF;
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) // Greek
        return c + 0x20;
    if (c >= 0x410 && c <= 0x42F) // Cyrillic
        return c + 0x20;
    if (c >= 0x400 && c <= 0x40F)
        return c + 0x50;
    return c;
}

std::u32string FoldedCodePoints(const std::string& text) {
    std::u32string folded;
    folded.reserve(text.size());
    for (size_t at = 0; at < text.size();)
        folded.push_back(FoldCase(NextCodePoint(text, at)));
    return folded;
}

namespace {

// Greedy match with one back-track point per '*': linear for the usual
// patterns, never exponential.
bool Match(const std::u32string& pattern, const std::u32string& name) {
    size_t p = 0, n = 0;
    size_t starP = std::u32string::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == U'*') {
            starP = p++;
            starN = n;
        } else if (starP != std::u32string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*')
        ++p;
    return p == pattern.size();
}

} // namespace

bool WildcardMatch(const std::string& pattern, const std::string& name) {
    const std::u32string foldedPattern = FoldedCodePoints(pattern);
    const std::u32string foldedName = FoldedCodePoints(name);
    if (Match(foldedPattern, foldedName))
        return true;
    // As on Windows, a final ".*" also matches a name without an extension,
    // so "*.*" matches every name.
    const size_t size = foldedPattern.size();
    return size >= 2 && foldedPattern.compare(size - 2, 2, U".*") == 0 &&
           name.find('.') == std::string::npos &&
           Match(foldedPattern.substr(0, size - 2), foldedName);
}

} // namespace platform
