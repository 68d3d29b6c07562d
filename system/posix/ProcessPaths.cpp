#include "ProcessPaths.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <unistd.h>

#include "core/Failure.h"

namespace platform::posix {

std::string ExecutableFolder() {
    std::string path(PATH_MAX, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || static_cast<std::size_t>(length) == path.size())
        return ".";
    path.resize(static_cast<std::size_t>(length));
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string CurrentFolder() {
    for (std::size_t size = PATH_MAX;; size *= 2) {
        std::string buffer(size, '\0');
        if (::getcwd(buffer.data(), buffer.size()))
            return buffer.c_str();
        const int error = errno;
        if (error != ERANGE)
            throw Failure(error,
                          std::string("Cannot read the current folder: ") + std::strerror(error));
    }
}

} // namespace platform::posix
