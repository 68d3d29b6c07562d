#include "LocalFiles.h"

#include "platform/FileSystem.h"

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

std::string BaseName(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::vector<std::string> ExpandLocalPattern(const std::string& pattern) {
    namespace fs = std::filesystem;
    const std::string path = LocalPath(pattern);
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string namePattern = slash == std::string::npos ? path : path.substr(slash + 1);
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder.empty() ? "." : folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (it->is_regular_file(error) && NameMatches(namePattern, name))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end(), LessIgnoringCase);
    for (auto& name : names)
        name = folder + name;
    return names;
}

} // namespace ftp
