// Wildcard matching of file names: '*' matches any run of characters, '?'
// exactly one, and letter case is ignored as the Windows file functions
// ignore it. Hidden names are left alone unless asked for, as a shell does.
// Names are UTF-8; a byte that is not valid UTF-8 stands for itself.
#include "Wildcard.h"

#include "core/Utf8.h"

namespace platform {

std::u32string FoldedCodePoints(const std::string& text) {
    std::u32string folded;
    folded.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        folded.push_back(LowerCaseLetter(NextCodePoint(text, at).value_or(byte)));
    }
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
    // The staging copy's temporary files are hidden too: a plain pattern
    // can never send, list or delete a half-written song.
    if (!name.empty() && name.front() == '.' && (pattern.empty() || pattern.front() != '.'))
        return false;
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
