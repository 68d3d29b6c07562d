#include "FileMark.h"

#include <sys/stat.h>
#include <sys/xattr.h>

namespace platform::posix {

namespace {

constexpr std::size_t kLongestMark = 4096;

std::string MarkFor(int file, const std::string& text) {
    struct stat info {};
    if (::fstat(file, &info) != 0)
        return {};
    return text + "\n" + std::to_string(info.st_size) + " " + std::to_string(info.st_mtim.tv_sec) +
           "." + std::to_string(info.st_mtim.tv_nsec);
}

std::string AttributeName(const std::string& name) {
    return "user." + name;
}

} // namespace

bool FitsMark(int file, const std::string& name, const std::string& text) {
    const std::string wanted = MarkFor(file, text);
    std::string mark(kLongestMark, '\0');
    const ssize_t length = ::fgetxattr(file, AttributeName(name).c_str(), mark.data(), mark.size());
    return !wanted.empty() && length >= 0 && mark.substr(0, length) == wanted;
}

void Mark(int file, const std::string& name, const std::string& text) {
    const std::string mark = MarkFor(file, text);
    if (!mark.empty() && mark.size() <= kLongestMark)
        ::fsetxattr(file, AttributeName(name).c_str(), mark.data(), mark.size(), 0);
}

} // namespace platform::posix
