#include "PosixFileSystem.h"

#include "Descriptor.h"
#include "PartFile.h"
#include "ProcessPaths.h"
#include "core/Failure.h"
#include "system/SystemServices.h"
#include "system/Wildcard.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace platform {

namespace {

using posix::Descriptor;
using posix::PartFile;

[[noreturn]] void Fail(int number, const std::string& context) {
    const std::string reason = std::strerror(number);
    throw Failure(number, context.empty() ? reason : context + ": " + reason);
}

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

// The folder part of a path ("." when there is none) and its last element.
std::pair<std::string, std::string> SplitLast(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

bool IsHidden(const std::string& name) {
    return !name.empty() && name.front() == '.';
}

class Folder {
public:
    explicit Folder(const std::string& path) : dir_(::opendir(path.c_str())) {}
    ~Folder() {
        if (dir_)
            ::closedir(dir_);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    DIR* get() const { return dir_; }

private:
    DIR* dir_;
};

[[noreturn]] void FailReading(const std::string& path) {
    const int error = errno;
    Fail(error, "Cannot read " + Quoted(path));
}

void RequireOrdinaryFile(const struct stat& info, const std::string& path) {
    if (!S_ISREG(info.st_mode))
        Fail(S_ISDIR(info.st_mode) ? EISDIR : EINVAL, Quoted(path) + " is not an ordinary file");
}

// An ordinary file: a regular file, or a link to one.
bool IsRegularEntry(DIR* dir, const dirent& entry) {
    if (entry.d_type == DT_REG)
        return true;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
        return false;
    struct stat info {};
    return ::fstatat(::dirfd(dir), entry.d_name, &info, 0) == 0 && S_ISREG(info.st_mode);
}

// Fails with the folder's name when the part file cannot be made.
void RequirePartFile(const PartFile& part) {
    if (part.fd() < 0) {
        const int error = errno;
        Fail(error, "Cannot create a file in the folder " + Quoted(part.folder()));
    }
}

// Flushes the part file to disk and renames it to `target`.
void PlaceAs(PartFile& part, const std::string& target) {
    if (!part.Finish()) {
        const int error = errno;
        Fail(error, "Cannot write into the folder " + Quoted(part.folder()));
    }
    if (!part.Place()) {
        const int error = errno;
        Fail(error, "Cannot replace " + Quoted(target));
    }
}

constexpr off_t kCopyStopped = -2;

// Copies all of `in` (`size` bytes) to `out`: in the kernel when the file
// systems allow it, else through a large buffer, telling `progress` after
// each step. Writing to disk starts behind the copy, a chunk at a time, so
// that the flush before the rename overlaps the copy instead of following
// it. Returns the number of bytes copied, -1 on failure, kCopyStopped when
// `progress` stopped it.
off_t CopyContents(int in, int out, off_t size, const CopyProgress& progress) {
    constexpr off_t kChunk = 16 << 20;
    // Steps short enough for a window to stay responsive between them.
    constexpr size_t kStep = 4 << 20;
    off_t copied = 0;
    off_t writtenBack = 0;
    bool inKernel = true;
    std::vector<char> buffer;
    for (;;) {
        ssize_t count;
        if (inKernel) {
            count = ::copy_file_range(in, nullptr, out, nullptr, kStep, 0);
            if (count < 0 &&
                (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
                inKernel = false;
                continue;
            }
        } else {
            buffer.resize(kStep);
            count = ::read(in, buffer.data(), buffer.size());
            for (ssize_t written = 0; count > 0 && written < count;) {
                const ssize_t part = ::write(out, buffer.data() + written, count - written);
                if (part < 0 && errno != EINTR)
                    return -1;
                written += std::max<ssize_t>(part, 0);
            }
        }
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return count < 0 ? -1 : copied;
        copied += count;
        if (progress && !progress(std::uint64_t(copied), std::uint64_t(std::max(size, copied))))
            return kCopyStopped;
        if (copied - writtenBack >= kChunk) {
            // Only a hint: where it is not supported the final flush does it all.
            ::sync_file_range(out, writtenBack, copied - writtenBack, SYNC_FILE_RANGE_WRITE);
            writtenBack = copied;
        }
    }
}

// A sort key: case-folded code points, so each name is folded once.
struct ListEntry {
    std::u32string key;
    std::string name;
};

bool IsDigit(char32_t c) {
    return c >= U'0' && c <= U'9';
}

// Natural order: runs of digits compare by value, the rest by folded letter.
int CompareNatural(const std::u32string& a, const std::u32string& b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            size_t endA = i, endB = j;
            while (i < a.size() && a[i] == U'0')
                ++i;
            while (j < b.size() && b[j] == U'0')
                ++j;
            for (endA = i; endA < a.size() && IsDigit(a[endA]);)
                ++endA;
            for (endB = j; endB < b.size() && IsDigit(b[endB]);)
                ++endB;
            if (endA - i != endB - j)
                return endA - i < endB - j ? -1 : 1;
            const int digits = a.compare(i, endA - i, b, j, endB - j);
            if (digits != 0)
                return digits;
            i = endA;
            j = endB;
        } else if (a[i] != b[j]) {
            return a[i] < b[j] ? -1 : 1;
        } else {
            ++i;
            ++j;
        }
    }
    return (i < a.size()) - (j < b.size());
}

bool EntryOrder(const ListEntry& a, const ListEntry& b) {
    const int order = CompareNatural(a.key, b.key);
    return order != 0 ? order < 0 : a.name < b.name;
}

} // namespace

PosixFileSystem::PosixFileSystem(std::string applicationFolder)
    : applicationFolder_(std::move(applicationFolder)) {}

std::string PosixFileSystem::ApplicationFolder() const {
    return applicationFolder_.empty() ? posix::ExecutableFolder() : applicationFolder_;
}

bool PosixFileSystem::FolderExists(const std::string& path) const {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void PosixFileSystem::MakeFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) != 0) {
        const int error = errno;
        if (error != EEXIST || !FolderExists(path))
            Fail(error, {});
    }
}

void PosixFileSystem::SetCurrentFolder(const std::string& path) {
    if (::chdir(path.c_str()) != 0) {
        const int error = errno;
        Fail(error, "Cannot change to the folder " + Quoted(path));
    }
}

std::string PosixFileSystem::CurrentFolder() const {
    return posix::CurrentFolder();
}

CopyOutcome PosixFileSystem::CopyInto(const std::string& from, const std::string& to,
                                      const CopyProgress& progress) {
    // Opening a FIFO or a device could block for ever or act on hardware,
    // so only a regular file is opened at all; non-blocking, in case a FIFO
    // takes the file's place between the test and the opening.
    struct stat sourceInfo {};
    if (::stat(from.c_str(), &sourceInfo) != 0)
        FailReading(from);
    RequireOrdinaryFile(sourceInfo, from);
    Descriptor source(::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (source.get() < 0 || ::fstat(source.get(), &sourceInfo) != 0)
        FailReading(from);
    RequireOrdinaryFile(sourceInfo, from);
    struct stat targetInfo {};
    if (::stat(to.c_str(), &targetInfo) == 0 && targetInfo.st_dev == sourceInfo.st_dev &&
        targetInfo.st_ino == sourceInfo.st_ino)
        return CopyOutcome::Copied; // already in place

    PartFile part(to);
    RequirePartFile(part);
    const off_t copied = CopyContents(source.get(), part.fd(), sourceInfo.st_size, progress);
    const int error = errno;
    if (copied == kCopyStopped)
        return CopyOutcome::Stopped; // the part file goes with `part`
    if (copied < 0)
        Fail(error, "Cannot copy " + Quoted(from) + " into the folder " + Quoted(part.folder()));
    if (copied < sourceInfo.st_size)
        Fail(EIO, Quoted(from) + " became shorter while it was copied");
    PlaceAs(part, to);
    return CopyOutcome::Copied;
}

void PosixFileSystem::DeleteMatching(const std::string& pattern) {
    const auto [folder, last] = SplitLast(pattern);
    Folder dir(folder);
    if (!dir.get()) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            return; // no folder, no matching file
        Fail(error, "Cannot read the folder " + Quoted(folder));
    }
    std::vector<std::string> matching;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (WildcardMatch(last, name) && IsRegularEntry(dir.get(), *entry))
            matching.push_back(name);
    }
    // Deletes all it can, then reports the first file that stayed.
    int firstError = 0;
    std::string firstName;
    for (const std::string& name : matching) {
        if (::unlinkat(::dirfd(dir.get()), name.c_str(), 0) != 0 && errno != ENOENT &&
            firstError == 0) {
            firstError = errno;
            firstName = name;
        }
    }
    if (firstError != 0)
        Fail(firstError, "Cannot delete " + Quoted(folder + "/" + firstName));
}

void PosixFileSystem::DeleteExactFile(const std::string& path) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
        const int error = errno;
        Fail(error, "Cannot delete " + Quoted(path));
    }
}

void PosixFileSystem::ClearUnfinishedCopies(const std::string& folder) {
    Folder dir(folder);
    if (!dir.get())
        return; // nothing there to clear
    while (const dirent* entry = ::readdir(dir.get())) {
        if (!PartFile::IsPartFileName(entry->d_name))
            continue;
        Descriptor part(::openat(::dirfd(dir.get()), entry->d_name,
                                 O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
        struct stat info {};
        // A copy still running holds its lock; the lock of a crashed one is gone.
        if (part.get() >= 0 && ::fstat(part.get(), &info) == 0 && S_ISREG(info.st_mode) &&
            ::flock(part.get(), LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(::dirfd(dir.get()), entry->d_name, 0);
    }
}

bool PosixFileSystem::FileExists(const std::string& path) const {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           !IsHidden(SplitLast(path).second);
}

std::vector<std::string> PosixFileSystem::ListFiles(const std::string& folder) const {
    Folder dir(folder);
    if (!dir.get()) {
        const int error = errno;
        Fail(error, "Cannot read the folder " + Quoted(folder));
    }
    std::vector<ListEntry> entries;
    while (const dirent* entry = ::readdir(dir.get())) {
        std::string name = entry->d_name;
        if (!IsHidden(name) && IsRegularEntry(dir.get(), *entry))
            entries.push_back({FoldedCodePoints(name), std::move(name)});
    }
    std::sort(entries.begin(), entries.end(), EntryOrder);
    std::vector<std::string> names;
    names.reserve(entries.size());
    for (ListEntry& entry : entries)
        names.push_back(std::move(entry.name));
    return names;
}

std::unique_ptr<FileSystem> MakeSystemFileSystem() {
    return std::make_unique<PosixFileSystem>();
}

} // namespace platform
