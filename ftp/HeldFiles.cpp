#include "HeldFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Interpreter.h"
#include "LocalFiles.h"
#include "ScriptReader.h"

namespace ftp {

namespace {

std::filesystem::path Absolute(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::absolute(path, ignored).lexically_normal();
}

// Never blocks on a pipe or device planted under a song's name.
int OpenOrdinaryFile(const std::string& path) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat info {};
    if (descriptor >= 0 && (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode))) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

} // namespace

HeldFiles::~HeldFiles() {
    for (const auto& file : files_)
        ::close(file.second);
}

HeldFiles::HeldFiles(HeldFiles&& other) noexcept
    : files_(std::move(other.files_)), overflowed_(other.overflowed_) {
    other.files_.clear();
}

HeldFiles& HeldFiles::operator=(HeldFiles&& other) noexcept {
    std::swap(files_, other.files_);
    std::swap(overflowed_, other.overflowed_);
    return *this;
}

void HeldFiles::Hold(const std::string& path) {
    const auto key = Absolute(path);
    if (files_.contains(key))
        return;
    overflowed_ = Full();
    const int descriptor = overflowed_ ? -1 : OpenOrdinaryFile(key.string());
    if (descriptor >= 0)
        files_.emplace(key, descriptor);
}

int HeldFiles::OpenForSending(const std::string& path) const {
    const auto held = files_.find(Absolute(path));
    if (held != files_.end())
        return ::fcntl(held->second, F_DUPFD_CLOEXEC, 0);
    return OpenOrdinaryFile(path);
}

std::uint64_t HeldFiles::Bytes() const {
    std::uint64_t bytes = 0;
    struct stat info {};
    for (const auto& file : files_)
        bytes += ::fstat(file.second, &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
    return bytes;
}

std::vector<std::string> HeldFiles::Names() const {
    std::vector<std::string> names;
    for (const auto& file : files_)
        names.push_back(file.first.filename().string());
    return names;
}

std::vector<std::string> HeldFiles::NamesIn(const std::string& folder) const {
    const auto absolute = Absolute(folder + "/x").parent_path();
    std::vector<std::string> names;
    for (const auto& file : files_)
        if (file.first.parent_path() == absolute)
            names.push_back(file.first.filename().string());
    return names;
}

HeldFiles HoldFilesOfScript(std::istream& script, bool wildcards) {
    HeldFiles held;
    ScriptReader reader(script);
    std::error_code ignored;
    std::filesystem::path folder = std::filesystem::current_path(ignored);
    std::string line;
    while (!held.Overflowed() && reader.Next(line) == ScriptReader::Status::Line) {
        const auto words = SplitWords(line);
        const std::string command = words.empty() ? "" : Interpreter::CommandName(words[0]);
        if (command == "glob")
            wildcards = !wildcards;
        if (words.size() < 2)
            continue;
        const auto named = (folder / LocalPath(words[1])).lexically_normal();
        if (command == "lcd")
            folder = named;
        else if (command == "put" || command == "send" || command == "append")
            held.Hold(named.string());
        else if (command == "mput")
            for (std::size_t i = 1; i < words.size(); ++i)
                for (const auto& path :
                     ExpandLocalPattern((folder / LocalPath(words[i])).string(), wildcards).paths)
                    held.Hold(path);
    }
    return held;
}

} // namespace ftp
