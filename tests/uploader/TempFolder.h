#pragma once
// Real temporary folders and files for the staging tests.
#include "FileSystemRoad.h"
#include "core/FailureHandling.h"
#include "system/posix/PosixFileSystem.h"

#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

struct TempFolder {
    QTemporaryDir dir;
    std::string path() const { return dir.path().toStdString(); }
    std::string operator/(const std::string& name) const { return path() + "/" + name; }
};

// Lets writes beyond `bytes` fail with EFBIG instead of ending the process.
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes) : previous(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit limit{bytes, saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved), std::signal(SIGXFSZ, previous); }
    rlimit saved{};
    void (*previous)(int);
};

using fsroad::ReadFile;
using fsroad::WriteFile;

// Every name in `folder`, hidden ones included, sorted.
inline QStringList AllNames(const std::string& folder) {
    QStringList names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names << QString::fromStdString(entry.path().filename().string());
    names.sort();
    return names;
}

// Copies a file of 1 MB into `to` in a child process that the file size
// limit kills midway, as a crash would. Returns the name of what it left
// behind beside `to` (empty when it left nothing).
inline std::string CrashWhileCopying(const std::string& to) {
    const std::string from = to + ".source", folder = std::filesystem::path(to).parent_path();
    WriteFile(from, std::string(1 << 20, 'x'));
    const QStringList before = AllNames(folder);
    if (fork() == 0) { // the child, ended by SIGXFSZ midway
        const rlimit limit{64 * 1024, 64 * 1024}, noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, SIG_DFL);
        platform::IgnoreFailures([&] { platform::PosixFileSystem().CopyInto(from, to, {}); });
        _exit(0);
    }
    int status = 0;
    wait(&status);
    std::filesystem::remove(from);
    QStringList left = AllNames(folder);
    left.removeIf([&](const QString& name) { return before.contains(name); });
    return WIFSIGNALED(status) && left.size() == 1 ? left[0].toStdString() : std::string();
}
