#include "FolderLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ftp {

namespace {

// Hidden, so neither the uploader's list nor a wildcard ever shows it.
constexpr const char* kLockName = ".ftp-send.lock";

// True when `descriptor` is still the file at `path`: a client that waited
// may have locked a file the holder removed on leaving.
bool StillInPlace(int descriptor, const std::string& path) {
    struct stat open {}, named {};
    return ::fstat(descriptor, &open) == 0 && ::stat(path.c_str(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

} // namespace

// Removed while still locked, so the folder keeps no trace of the session.
FolderLocks::~FolderLocks() {
    for (const auto& [lockPath, descriptor] : held_) {
        ::unlink(lockPath.c_str());
        ::close(descriptor);
    }
}

bool FolderLocks::Hold(const std::string& folder, const WaitNotice& waiting, std::string& error) {
    std::error_code pathError;
    const std::string real = std::filesystem::canonical(folder, pathError).string();
    if (pathError) {
        error = pathError.message();
        return false;
    }
    const std::string lockPath = real + "/" + kLockName;
    if (held_.count(lockPath))
        return true;
    bool told = false;
    for (;;) {
        const int descriptor = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (descriptor < 0) {
            error = std::strerror(errno);
            return false;
        }
        if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
            if (!told)
                waiting(folder);
            told = true;
            while (::flock(descriptor, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
        if (StillInPlace(descriptor, lockPath)) {
            held_[lockPath] = descriptor;
            return true;
        }
        ::close(descriptor);
    }
}

} // namespace ftp
