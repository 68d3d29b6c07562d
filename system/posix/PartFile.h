#pragma once
// A file written under a hidden temporary name beside its target,
// ".<name>.XXXXXX.copying", locked while it is written (so that a cleaner
// knows it is alive) and renamed into place only when whole: a copy or a
// download cut off never leaves a half file under the real name. Removed
// unless it was placed.
#include <string>

namespace platform::posix {

class PartFile {
public:
    // Made as any new file is (0666 less the file creation mask); fd() is
    // negative, with errno kept, when it cannot be made.
    explicit PartFile(const std::string& target);
    ~PartFile();
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    int fd() const { return fd_; }
    const std::string& folder() const { return folder_; }
    // The mode of the file it is about to replace, if any.
    void TakeModeOfReplaced();
    // Its data on disk and the file closed; false with errno.
    bool Finish();
    // Renamed to the target, the rename itself on disk; false with errno.
    bool Place();

    // True for a name a PartFile gives.
    static bool IsPartFileName(const std::string& name);

private:
    std::string target_, folder_, path_;
    int fd_ = -1;
    bool placed_ = false;
};

} // namespace platform::posix
