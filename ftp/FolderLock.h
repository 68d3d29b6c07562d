#pragma once
// Lets the clients that send from one local folder take turns: a lock file
// beside the files, held from the first mput from that folder until the
// session ends (then removed), so two clients never write the same song at
// once.
#include <functional>
#include <map>
#include <string>

namespace ftp {

class FolderLocks {
public:
    // Told once when another client holds the folder and this one waits.
    using WaitNotice = std::function<void(const std::string& folder)>;

    FolderLocks() = default;
    FolderLocks(const FolderLocks&) = delete;
    FolderLocks& operator=(const FolderLocks&) = delete;
    ~FolderLocks();

    // Waits until this session holds `folder`; false with a reason when the
    // lock cannot be taken at all (e.g. a folder that cannot be written,
    // which then goes unlocked).
    bool Hold(const std::string& folder, const WaitNotice& waiting, std::string& error);

private:
    std::map<std::string, int> held_; // lock file path -> its open descriptor
};

} // namespace ftp
