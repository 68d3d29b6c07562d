#pragma once
// The file system of Windows, on the wide-character Win32 calls. Hidden and
// system files count as absent, as the file list and the existence test
// of the program's windows treat them.
#include "core/FileSystem.h"

namespace platform {

class Win32FileSystem final : public FileSystem {
public:
    // `applicationFolder` empty: the folder of the running executable.
    explicit Win32FileSystem(std::string applicationFolder = {});

    std::string ApplicationFolder() const override;
    bool FolderExists(const std::string& path) const override;
    void MakeFolder(const std::string& path) override;
    // Changes the current drive and folder in one step.
    void SetCurrentFolder(const std::string& path) override;
    std::string CurrentFolder() const override;
    // Copies into a temporary file beside the target, then moves it into place.
    CopyOutcome CopyInto(const std::string& from, const std::string& to,
                         const CopyProgress& progress) override;
    // Matching by the system's own wildcard rules (FindFirstFile).
    void DeleteMatching(const std::string& pattern) override;
    void DeleteExactFile(const std::string& path) override;
    // Removes the temporary files ("wcp*.tmp") of copies that were cut short.
    void ClearUnfinishedCopies(const std::string& folder) override;
    bool FileExists(const std::string& path) const override;
    // Sorted as Explorer sorts: letter case ignored, numbers by value.
    std::vector<std::string> ListFiles(const std::string& folder) const override;

    static std::string ExecutableFolder();

private:
    std::string applicationFolder_;
};

} // namespace platform
