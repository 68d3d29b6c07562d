#include "FolderLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <unistd.h>

namespace ftp {

namespace {

// Hidden, so neither the uploader's list nor a wildcard ever shows it.
constexpr const char* kLockName = ".ftp-send.lock";

} // namespace

FolderLocks::~FolderLocks() {
    for (const auto& [folder, descriptor] : held_)
        ::close(descriptor); // closing releases the lock
}

bool FolderLocks::Hold(const std::string& folder, const WaitNotice& waiting, std::string& error) {
    std::error_code pathError;
    const std::string real = std::filesystem::canonical(folder, pathError).string();
    if (pathError) {
        error = pathError.message();
        return false;
    }
    if (held_.count(real))
        return true;
    const std::string lockPath = real + "/" + kLockName;
    const int descriptor = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (descriptor < 0) {
        error = std::strerror(errno);
        return false;
    }
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        waiting(folder);
        while (::flock(descriptor, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    held_[real] = descriptor;
    return true;
}

} // namespace ftp
