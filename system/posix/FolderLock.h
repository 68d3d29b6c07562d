#pragma once
// Lets the clients that send from one local folder take turns: a lock file
// beside the files, held only while files of that folder are being sent
// (one folder at a time, so two clients never wait for each other) and
// removed when let go.
#include <functional>
#include <optional>
#include <string>

namespace platform::posix {

class FolderLock {
public:
    // Told once when another client holds the folder and this one waits.
    using WaitNotice = std::function<void(const std::string& folder)>;
    // Asked while waiting: true gives up the wait.
    using StopRequest = std::function<bool()>;

    FolderLock() = default;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    ~FolderLock() { Release(); }

    // Lets go of any other folder, then waits until this session holds
    // `folder`: the whole seconds waited, or nothing with a reason when the
    // wait was stopped or the lock cannot be taken at all (a folder that
    // cannot be written, or a link where the lock file goes, which is never
    // followed).
    std::optional<int> Hold(const std::string& folder, const WaitNotice& waiting,
                            const StopRequest& stop, std::string& error);
    void Release();

private:
    std::string heldPath_;
    int heldDescriptor_ = -1;
};

} // namespace platform::posix
