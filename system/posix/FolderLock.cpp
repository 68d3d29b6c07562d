#include "FolderLock.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace platform::posix {

namespace {

// Hidden, so neither the uploader's list nor a wildcard ever shows it.
constexpr const char* kLockName = ".ftp-send.lock";

// True when `descriptor` is still the file at `path`: a client that waited
// may have locked a file the holder removed on leaving.
bool StillInPlace(int descriptor, const std::string& path) {
    struct stat open {
    }, named{};
    return ::fstat(descriptor, &open) == 0 && ::lstat(path.c_str(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

// Polled, so that a stop is heard while another client holds the lock.
bool AwaitLock(int descriptor, const FolderLock::StopRequest& stop) {
    constexpr auto kPollInterval = std::chrono::milliseconds(50);
    while (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        if (stop())
            return false;
        std::this_thread::sleep_for(kPollInterval);
    }
    return true;
}

} // namespace

// Removed while still locked, so the folder keeps no trace of the send.
void FolderLock::Release() {
    if (heldDescriptor_ < 0)
        return;
    ::unlink(heldPath_.c_str());
    ::close(heldDescriptor_);
    heldDescriptor_ = -1;
    heldPath_.clear();
}

std::optional<int> FolderLock::Hold(const std::string& folder, const WaitNotice& waiting,
                                    const StopRequest& stop, std::string& error) {
    std::error_code pathError;
    const std::string real = std::filesystem::canonical(folder, pathError).string();
    if (pathError) {
        error = pathError.message();
        return std::nullopt;
    }
    const std::string lockPath = real + "/" + kLockName;
    if (lockPath == heldPath_)
        return 0;
    Release();
    const auto started = std::chrono::steady_clock::now();
    bool told = false;
    for (;;) {
        // O_NOFOLLOW: a link planted there would make us create its target.
        const int descriptor =
            ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (descriptor < 0) {
            error = errno == ELOOP ? "the lock file is a link, not followed" : std::strerror(errno);
            return std::nullopt;
        }
        if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
            if (!told)
                waiting(folder);
            told = true;
            if (!AwaitLock(descriptor, stop)) {
                ::close(descriptor);
                error = "the wait was stopped";
                return std::nullopt;
            }
        }
        if (StillInPlace(descriptor, lockPath)) {
            heldPath_ = lockPath;
            heldDescriptor_ = descriptor;
            return static_cast<int>(std::chrono::duration_cast<std::chrono::seconds>(
                                        std::chrono::steady_clock::now() - started)
                                        .count());
        }
        ::close(descriptor);
    }
}

} // namespace platform::posix
