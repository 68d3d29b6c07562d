#pragma once
// What the interpreter changes on the local side besides received files: the
// current folder, listings saved to files and the locks of folders it sends
// from. Behind an interface so a run without effects (the fuzz target) can
// stand in.
#include <functional>
#include <optional>
#include <string>

#include "system/posix/FolderLock.h"

namespace ftp {

using platform::posix::FolderLock;

class LocalSide {
public:
    virtual ~LocalSide() = default;
    virtual bool ChangeFolder(const std::string& path, std::string& error) = 0;
    virtual std::string CurrentFolder() const = 0;
    virtual bool WriteFile(const std::string& path, const std::string& text,
                           std::string& error) = 0;
    // The seconds waited for another client; nothing, with a reason, when
    // the folder cannot be locked.
    virtual std::optional<int> HoldFolder(const std::string& folder,
                                          const FolderLock::WaitNotice& waiting,
                                          const FolderLock::StopRequest& stop,
                                          std::string& error) = 0;
    virtual void ReleaseFolder() = 0;
};

class DiskLocalSide : public LocalSide {
public:
    bool ChangeFolder(const std::string& path, std::string& error) override;
    std::string CurrentFolder() const override;
    bool WriteFile(const std::string& path, const std::string& text, std::string& error) override;
    std::optional<int> HoldFolder(const std::string& folder, const FolderLock::WaitNotice& waiting,
                                  const FolderLock::StopRequest& stop,
                                  std::string& error) override {
        return locks_.Hold(folder, waiting, stop, error);
    }
    void ReleaseFolder() override { locks_.Release(); }

private:
    FolderLock locks_;
};

} // namespace ftp
