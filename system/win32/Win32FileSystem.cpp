#include "Win32FileSystem.h"

#include <shlwapi.h>
#include <windows.h>

#include <algorithm>
#include <cwctype>

#include "Win32Text.h"
#include "system/SystemServices.h"

namespace platform {

namespace {

constexpr DWORD kSkipped = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

// The folder part of a path, with its separator ("" when there is none).
std::wstring FolderPart(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/:");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

// The ordinary files FindFirstFile finds for `pattern`, by name.
std::vector<std::wstring> MatchingFiles(const std::wstring& pattern, DWORD& error) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                     FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        return names;
    }
    do {
        if (!(found.dwFileAttributes & kSkipped))
            names.emplace_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    error = GetLastError() == ERROR_NO_MORE_FILES ? ERROR_SUCCESS : GetLastError();
    FindClose(search);
    return names;
}

constexpr wchar_t kPartPrefix[] = L"wcp";

// A name GetTempFileName gives a copy's temporary file: "wcp" + hex + ".tmp".
bool IsPartFileName(const std::wstring& name) {
    if (name.size() < 8 || name.size() > 11 || name.compare(0, 3, kPartPrefix) != 0 ||
        name.compare(name.size() - 4, 4, L".tmp") != 0)
        return false;
    return std::all_of(name.begin() + 3, name.end() - 4, [](wchar_t c) { return iswxdigit(c); });
}

// Removes a temporary copy unless it was moved into place.
class TemporaryFile {
public:
    explicit TemporaryFile(std::wstring path) : path_(std::move(path)) {}
    ~TemporaryFile() {
        if (!placed_)
            DeleteFileW(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::wstring& path() const { return path_; }
    void Placed() { placed_ = true; }

private:
    std::wstring path_;
    bool placed_ = false;
};

// CopyFileEx's progress routine: asks the caller's CopyProgress whether to go on.
DWORD CALLBACK TellProgress(LARGE_INTEGER size, LARGE_INTEGER copied, LARGE_INTEGER, LARGE_INTEGER,
                            DWORD, DWORD, HANDLE, HANDLE, LPVOID data) {
    const auto& progress = *static_cast<const CopyProgress*>(data);
    return progress(std::uint64_t(copied.QuadPart), std::uint64_t(size.QuadPart))
               ? PROGRESS_CONTINUE
               : PROGRESS_CANCEL;
}

std::uint64_t CopiedSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

} // namespace

Win32FileSystem::Win32FileSystem(std::string applicationFolder)
    : applicationFolder_(std::move(applicationFolder)) {}

std::string Win32FileSystem::ExecutableFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return ".";
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const auto slash = path.find_last_of(L'\\');
    return win32::Utf8(slash == std::wstring::npos ? L"." : path.substr(0, slash));
}

std::string Win32FileSystem::ApplicationFolder() const {
    return applicationFolder_.empty() ? ExecutableFolder() : applicationFolder_;
}

bool Win32FileSystem::FolderExists(const std::string& path) const {
    const DWORD attributes = GetFileAttributesW(win32::Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void Win32FileSystem::MakeFolder(const std::string& path) {
    if (!CreateDirectoryW(win32::Wide(path).c_str(), nullptr)) {
        const DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS || !FolderExists(path))
            win32::Fail(error, "Cannot create the folder " + Quoted(path));
    }
}

void Win32FileSystem::SetCurrentFolder(const std::string& path) {
    if (!SetCurrentDirectoryW(win32::Wide(path).c_str()))
        win32::Fail(GetLastError(), "Cannot change to the folder " + Quoted(path));
}

std::string Win32FileSystem::CurrentFolder() const {
    const DWORD needed = GetCurrentDirectoryW(0, nullptr);
    std::wstring path(needed, L'\0');
    const DWORD length = GetCurrentDirectoryW(needed, path.data());
    if (length == 0 || length >= needed)
        win32::Fail(GetLastError(), "Cannot read the current folder");
    path.resize(length);
    return win32::Utf8(path);
}

CopyOutcome Win32FileSystem::CopyInto(const std::string& from, const std::string& to,
                                      const CopyProgress& progress) {
    const std::wstring target = win32::Wide(to);
    std::wstring folder = FolderPart(target);
    if (folder.empty())
        folder = L".";
    wchar_t temporary[MAX_PATH + 1] = {};
    if (!GetTempFileNameW(folder.c_str(), kPartPrefix, 0, temporary))
        win32::Fail(GetLastError(), "Cannot create a file beside " + Quoted(to));
    TemporaryFile part(temporary);
    if (!CopyFileExW(win32::Wide(from).c_str(), part.path().c_str(),
                     progress ? TellProgress : nullptr, const_cast<CopyProgress*>(&progress),
                     nullptr, 0)) {
        const DWORD error = GetLastError();
        if (error == ERROR_REQUEST_ABORTED)
            return CopyOutcome::Stopped;
        win32::Fail(error, "Cannot copy " + Quoted(from));
    }
    // The last word before the copy takes its place, also where the system
    // never calls the routine (a small file, Wine).
    const std::uint64_t size = CopiedSize(part.path());
    if (progress && !progress(size, size))
        return CopyOutcome::Stopped;
    if (!MoveFileExW(part.path().c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        win32::Fail(GetLastError(), "Cannot replace " + Quoted(to));
    part.Placed();
    return CopyOutcome::Copied;
}

void Win32FileSystem::DeleteMatching(const std::string& pattern) {
    const std::wstring wide = win32::Wide(pattern);
    DWORD error = ERROR_SUCCESS;
    const auto names = MatchingFiles(wide, error);
    // No match, or no such folder, leaves nothing to delete.
    if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
        win32::Fail(error, "Cannot search for " + Quoted(pattern));
    const std::wstring folder = FolderPart(wide);
    // Deletes all it can, then reports the first file that stayed.
    DWORD firstError = ERROR_SUCCESS;
    std::wstring firstName;
    for (const auto& name : names) {
        if (!DeleteFileW((folder + name).c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND &&
            firstError == ERROR_SUCCESS) {
            firstError = GetLastError();
            firstName = name;
        }
    }
    if (firstError != ERROR_SUCCESS)
        win32::Fail(firstError, "Cannot delete " + Quoted(win32::Utf8(folder + firstName)));
}

void Win32FileSystem::DeleteExactFile(const std::string& path) {
    if (!DeleteFileW(win32::Wide(path).c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
        win32::Fail(GetLastError(), "Cannot delete " + Quoted(path));
}

void Win32FileSystem::ClearUnfinishedCopies(const std::string& folder) {
    const std::wstring prefix = win32::Wide(folder) + L"\\";
    DWORD error = ERROR_SUCCESS;
    // A copy still running holds its file open, so its deletion fails.
    for (const auto& name : MatchingFiles(prefix + kPartPrefix + L"*.tmp", error))
        if (IsPartFileName(name))
            DeleteFileW((prefix + name).c_str());
}

bool Win32FileSystem::FileExists(const std::string& path) const {
    const DWORD attributes = GetFileAttributesW(win32::Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & kSkipped);
}

std::vector<std::string> Win32FileSystem::ListFiles(const std::string& folder) const {
    std::wstring pattern = win32::Wide(folder);
    if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/')
        pattern += L'\\';
    DWORD error = ERROR_SUCCESS;
    auto names = MatchingFiles(pattern + L"*", error);
    if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND)
        win32::Fail(error, "Cannot read the folder " + Quoted(folder));
    std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
        return StrCmpLogicalW(a.c_str(), b.c_str()) < 0;
    });
    std::vector<std::string> result;
    result.reserve(names.size());
    for (const auto& name : names)
        result.push_back(win32::Utf8(name));
    return result;
}

std::unique_ptr<FileSystem> MakeSystemFileSystem() {
    return std::make_unique<Win32FileSystem>();
}

} // namespace platform
