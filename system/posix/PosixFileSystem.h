#pragma once
// The file system of POSIX systems, on the system calls alone. "/" is the
// separator; names starting with "." are hidden.
#include "core/FileSystem.h"

#include <string>
#include <vector>

namespace platform {

class PosixFileSystem final : public FileSystem {
public:
    // `applicationFolder` empty: the folder of the running executable.
    explicit PosixFileSystem(std::string applicationFolder = {});

    std::string ApplicationFolder() const override;
    bool FolderExists(const std::string& path) const override;
    void MakeFolder(const std::string& path) override;
    void SetCurrentFolder(const std::string& path) override;
    std::string CurrentFolder() const override;
    // Copies in the kernel where it can, into a hidden, locked temporary
    // file beside the target; flushed to disk before the rename puts it in
    // place. Copying a file onto itself leaves it as it is.
    CopyOutcome CopyInto(const std::string& from, const std::string& to,
                         const CopyProgress& progress) override;
    // A missing folder holds no matching file.
    void DeleteMatching(const std::string& pattern) override;
    void DeleteExactFile(const std::string& path) override;
    // Removes the unlocked temporary files of CopyInto.
    void ClearUnfinishedCopies(const std::string& folder) override;
    bool FileExists(const std::string& path) const override;
    // Sorted "naturally": letter case ignored and runs of digits compared
    // by their value ("Track 2" before "Track 10").
    std::vector<std::string> ListFiles(const std::string& folder) const override;

private:
    std::string applicationFolder_;
};

} // namespace platform
