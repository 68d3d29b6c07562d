#pragma once
// Real temporary folders and files for the staging tests.
#include "platform/posix/PosixFileSystem.h"

#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

class TempFolder {
public:
    TempFolder() { QVERIFY(dir_.isValid()); }
    std::string path() const { return dir_.path().toStdString(); }
    std::string operator/(const std::string& name) const { return path() + "/" + name; }

private:
    QTemporaryDir dir_;
};

// Lets writes beyond `bytes` fail with EFBIG instead of ending the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

inline void WriteFile(const std::string& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every name in `folder`, hidden ones included, sorted.
inline QStringList AllNames(const std::string& folder) {
    QStringList names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names << QString::fromStdString(entry.path().filename().string());
    names.sort();
    return names;
}

// Copies a file of 1 MB into `to` in a child process that the file size
// limit kills midway, as a crash would: it leaves a real unfinished copy.
inline void CrashWhileCopying(const std::string& to) {
    const std::string from = to + ".source";
    WriteFile(from, std::string(1 << 20, 'x'));
    const pid_t child = fork();
    if (child == 0) {
        const rlimit limit{64 * 1024, 64 * 1024}, noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, SIG_DFL);
        try {
            platform::PosixFileSystem().CopyInto(from, to);
        } catch (...) {
        }
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    std::filesystem::remove(from);
    QVERIFY(WIFSIGNALED(status));
}
