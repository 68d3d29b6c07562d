#pragma once
// A file system of named files held in memory. It records the
// file existence tests, and fails every step while `failing` is set.
#include "core/Failure.h"
#include "core/FileSystem.h"

#include <set>
#include <string>
#include <vector>

class FakeFileSystem : public platform::FileSystem {
public:
    std::string ApplicationFolder() const override { return "app"; }
    bool FolderExists(const std::string&) const override { return false; }
    bool FileExists(const std::string& path) const override {
        existenceTests.push_back(path);
        failIfAsked();
        return files.count(path) > 0;
    }

    std::set<std::string> files;
    bool failing = false;
    mutable std::vector<std::string> existenceTests;

private:
    void failIfAsked() const {
        if (failing)
            throw platform::Failure(75, "Path/File access error");
    }
};
