#pragma once
// File system seam. Paths are UTF-8 text. Every failing step throws
// platform::Failure with the system's number and reason.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform {

// Told how far a copy is, in bytes copied of the source's size, between
// chunks; answering false stops the copy. Empty: the copy is not watched.
using CopyProgress = std::function<bool(std::uint64_t copied, std::uint64_t size)>;

enum class CopyOutcome { Copied, Stopped };

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The folder that holds the program's executable, without a trailing separator.
    virtual std::string ApplicationFolder() const;
    virtual bool FolderExists(const std::string& path) const;
    // Creates one folder whose parent exists. A folder already there (another
    // instance may have made it a moment ago) is success.
    virtual void MakeFolder(const std::string& path);
    // Makes `path` the process's current folder (and its drive the current drive).
    virtual void SetCurrentFolder(const std::string& path);
    virtual std::string CurrentFolder() const;
    // Copies `from` to `to`, replacing `to`. The target is written under a
    // temporary name beside it and renamed into place, so a failing copy
    // never leaves a partial file nor harms an earlier file of that name.
    // Anything but a regular file is refused before it is opened, and the copy
    // gets ordinary read/write permissions whatever the source's were. A copy
    // that `progress` stops leaves nothing behind and `to` as it was.
    virtual CopyOutcome CopyInto(const std::string& from, const std::string& to,
                                 const CopyProgress& progress);
    // Deletes the ordinary files matching the wildcard pattern in the last
    // element of `pattern`, always as a pattern (see Wildcard.h), even when
    // a file bears the pattern as its name. No match is not a failure.
    virtual void DeleteMatching(const std::string& pattern);
    // Deletes exactly the file at `path`, whatever its name holds. A file
    // that is already gone is not a failure.
    virtual void DeleteExactFile(const std::string& path);
    // Removes what copies into `folder` left behind when they were cut short
    // (a crash, a power loss); never a file a copy still writes, never any
    // other file.
    virtual void ClearUnfinishedCopies(const std::string& folder);
    // True for an existing ordinary file (not a folder, not hidden, not system).
    virtual bool FileExists(const std::string& path) const;
    // Names of the ordinary, non-hidden files of `folder`, sorted as a file
    // manager sorts them (letter case ignored).
    virtual std::vector<std::string> ListFiles(const std::string& folder) const;
};

} // namespace platform
