#pragma once
// File system seam. Paths are UTF-8 text. Every failing step throws
// platform::Failure with the system's number and reason.
#include <string>
#include <vector>

namespace platform {

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The folder that holds the program's executable, without a trailing separator.
    virtual std::string ApplicationFolder() const;
    virtual bool FolderExists(const std::string& path) const;
    // Creates one folder whose parent exists.
    virtual void MakeFolder(const std::string& path);
    // Makes `path` the process's current folder (and its drive the current drive).
    virtual void SetCurrentFolder(const std::string& path);
    virtual std::string CurrentFolder() const;
    // Copies `from` to `to`, replacing `to`. The target is written under a
    // temporary name beside it and renamed into place, so a failing copy
    // never leaves a partial file nor harms an earlier file of that name.
    virtual void CopyInto(const std::string& from, const std::string& to);
    // Deletes the files (never folders) matching the wildcard pattern in the
    // last element of `pattern`; letter case is ignored. No match is not a failure.
    virtual void DeleteMatching(const std::string& pattern);
    // True for an existing ordinary file (not a folder, not hidden, not system).
    virtual bool FileExists(const std::string& path) const;
    // Names of the ordinary, non-hidden files of `folder`, sorted as a file
    // manager sorts them (letter case ignored).
    virtual std::vector<std::string> ListFiles(const std::string& folder) const;
};

// Wildcard match of one name against one pattern ('*' any run, '?' one
// character), letter case ignored for ASCII and Latin letters.
bool WildcardMatch(const std::string& pattern, const std::string& name);

} // namespace platform
