#include "SentMarks.h"

#include <sys/stat.h>
#include <sys/xattr.h>

namespace ftp {

namespace {

constexpr const char* kMarkName = "user.wavecrest.sent";
constexpr std::size_t kLongestMark = 4096;

// The place and the file as it is now: a file changed since fits no mark.
std::string MarkFor(int file, const std::string& destination) {
    struct stat info {};
    if (::fstat(file, &info) != 0)
        return {};
    return destination + "\n" + std::to_string(info.st_size) + " " +
           std::to_string(info.st_mtim.tv_sec) + "." + std::to_string(info.st_mtim.tv_nsec);
}

} // namespace

bool SentBefore(int file, const std::string& destination) {
    const std::string wanted = MarkFor(file, destination);
    std::string mark(kLongestMark, '\0');
    const ssize_t length = ::fgetxattr(file, kMarkName, mark.data(), mark.size());
    return !wanted.empty() && length >= 0 && mark.substr(0, length) == wanted;
}

void MarkSent(int file, const std::string& destination) {
    const std::string mark = MarkFor(file, destination);
    if (!mark.empty() && mark.size() <= kLongestMark)
        ::fsetxattr(file, kMarkName, mark.data(), mark.size(), 0);
}

} // namespace ftp
