#include "LocalFiles.h"

#include "system/Wildcard.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace ftp {

namespace {

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Lower(x) < Lower(y); });
}

} // namespace

std::string LocalPath(const std::string& scriptPath) {
    std::string path = scriptPath;
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

bool NameMatches(const std::string& pattern, const std::string& name) {
    return platform::WildcardMatch(pattern, name);
}

bool HasWildcards(const std::string& text) {
    return text.find_first_of("*?") != std::string::npos;
}

std::string BaseName(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

LocalMatches ExpandLocalPattern(const std::string& pattern, bool wildcards,
                                const std::vector<std::string>& gone) {
    namespace fs = std::filesystem;
    const std::string path = LocalPath(pattern);
    const std::string namePattern = BaseName(path);
    const std::string folder = path.substr(0, path.size() - namePattern.size());
    LocalMatches matches;
    std::error_code error;
    fs::directory_iterator it(folder.empty() ? "." : folder, error);
    if (error && gone.empty()) { // a folder gone since its files were opened is none
        matches.error = error.message();
        return matches;
    }
    if (!wildcards || !HasWildcards(namePattern)) {
        matches.paths.push_back(path); // sending it tells when it is not there
        return matches;
    }
    std::vector<std::string> names;
    for (fs::directory_iterator end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError))
            names.push_back(it->path().filename().string());
    }
    if (error && gone.empty())
        matches.error = error.message();
    names.insert(names.end(), gone.begin(), gone.end());
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    for (const auto& name : names)
        if (name.front() != '.' && NameMatches(namePattern, name))
            matches.paths.push_back(folder + name);
    std::sort(matches.paths.begin(), matches.paths.end(), LessIgnoringCase);
    return matches;
}

} // namespace ftp
