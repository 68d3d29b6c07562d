#include "PartFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Descriptor.h"

namespace platform::posix {

namespace {

constexpr char kPartSuffix[] = ".copying";
constexpr std::size_t kRandomLength = 6;

// The process's file creation mask, read once: reading it means setting it.
mode_t CreationMask() {
    static const mode_t mask = [] {
        const mode_t current = ::umask(0);
        ::umask(current);
        return current;
    }();
    return mask;
}

} // namespace

PartFile::PartFile(const std::string& target) : target_(target) {
    const auto slash = target.rfind('/');
    folder_ = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    // Keeps the temporary name within the 255 bytes a name may have.
    path_ = folder_ + "/." + name.substr(0, 200) + ".XXXXXX" + kPartSuffix;
    fd_ = ::mkostemps(path_.data(), sizeof kPartSuffix - 1, O_CLOEXEC);
    if (fd_ < 0)
        return;
    ::flock(fd_, LOCK_EX);
    // Plain data: read and write as the user's file mask allows, never
    // execute, setuid or setgid bits.
    ::fchmod(fd_, 0666 & ~CreationMask());
}

PartFile::~PartFile() {
    if (fd_ >= 0)
        ::close(fd_);
    if (!placed_ && !path_.empty())
        ::unlink(path_.c_str());
}

void PartFile::TakeModeOfReplaced() {
    struct stat replaced {};
    if (fd_ >= 0 && ::stat(target_.c_str(), &replaced) == 0 && S_ISREG(replaced.st_mode))
        ::fchmod(fd_, replaced.st_mode & 07777);
}

bool PartFile::Finish() {
    const bool synced = ::fsync(fd_) == 0;
    const int error = errno;
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    if (!synced)
        errno = error;
    return synced && closed;
}

bool PartFile::Place() {
    if (::rename(path_.c_str(), target_.c_str()) != 0)
        return false;
    placed_ = true;
    Descriptor folder(::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0)
        ::fsync(folder.get());
    return true;
}

bool PartFile::IsPartFileName(const std::string& name) {
    constexpr std::size_t kSuffix = sizeof kPartSuffix - 1;
    if (name.size() < 2 + 1 + kRandomLength + kSuffix || name.front() != '.' ||
        name.compare(name.size() - kSuffix, kSuffix, kPartSuffix) != 0)
        return false;
    const std::size_t random = name.size() - kSuffix - kRandomLength;
    return name[random - 1] == '.' &&
           std::all_of(name.begin() + random, name.begin() + random + kRandomLength,
                       [](unsigned char c) { return std::isalnum(c); });
}

} // namespace platform::posix
