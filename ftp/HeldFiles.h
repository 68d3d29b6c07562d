#pragma once
// The local files a script will send, opened when the client starts: a song
// whose name goes before its turn comes (the staging folder emptied while
// the send runs) is still sent, from what was opened. At most kMaxHeld are
// held; a file past that bound is opened when its command runs.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <istream>
#include <map>
#include <string>
#include <vector>

namespace ftp {

class HeldFiles {
public:
    static constexpr std::size_t kMaxHeld = 256;

    HeldFiles() = default;
    ~HeldFiles();
    HeldFiles(HeldFiles&& other) noexcept;
    HeldFiles& operator=(HeldFiles&& other) noexcept;
    HeldFiles(const HeldFiles&) = delete;
    HeldFiles& operator=(const HeldFiles&) = delete;

    // Opens `path` when it is an ordinary file there now.
    void Hold(const std::string& path);
    // Another bound was passed: some files named are not held.
    bool Overflowed() const { return overflowed_; }
    bool Full() const { return files_.size() >= kMaxHeld; }

    // A descriptor of its own for sending `path` (relative to the current
    // folder): the held file, or the one there now; -1 when neither.
    int OpenForSending(const std::string& path) const;
    std::size_t Count() const { return files_.size(); }
    std::uint64_t Bytes() const;
    // The names of all files held, and of those held from `folder`.
    std::vector<std::string> Names() const;
    std::vector<std::string> NamesIn(const std::string& folder) const;

private:
    std::map<std::filesystem::path, int> files_; // absolute path -> descriptor
    bool overflowed_ = false;
};

// Reads a whole script and holds every existing local file its put, send,
// append and mput commands name, wildcards expanded in the folders its lcd
// commands lead to, as `wildcards` (and its glob commands) say.
HeldFiles HoldFilesOfScript(std::istream& script, bool wildcards);

} // namespace ftp
