// Process start under Windows: "ftp.exe -s:sendfiles.ftps" started with
// window state 2 by a program in a temporary application folder finds the
// ftp.exe beside that program before the one in the current folder and the
// one on PATH, and the started program sees the window state and its folder.
//
// ftplaunch.exe and ftpstub.exe are taken from this program's folder.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest/doctest.h>

#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Text.h"

using platform::win32::Wide;

namespace {

struct Folders {
    std::string root, app, current, path;
};

Folders MakeFolders() {
    const std::string root = (std::filesystem::temp_directory_path() /
                              ("wavecrest-ftpstart-" + std::to_string(GetCurrentProcessId())))
                                 .string();
    const Folders f{root, root + "\\Program Folder", root + "\\current", root + "\\on path"};
    for (const auto& folder : {f.app, f.current, f.path})
        std::filesystem::create_directories(folder);
    return f;
}

// The record the stub wrote, as key=value pairs; empty after 20 s without one.
std::map<std::string, std::string> WaitForRecord(const std::string& path) {
    std::map<std::string, std::string> record;
    for (int waited = 0; waited < 20000; waited += 50) {
        std::ifstream file(path, std::ios::binary);
        if (file) {
            for (std::string line; std::getline(file, line);) {
                const auto equals = line.find('=');
                if (equals != std::string::npos)
                    record[line.substr(0, equals)] = line.substr(equals + 1);
            }
            file.close();
            DeleteFileW(Wide(path).c_str());
            return record;
        }
        Sleep(50);
    }
    return record;
}

// Runs the launcher in `current` and waits for it; returns its exit code.
DWORD RunLauncher(const Folders& f, const char* mode) {
    std::wstring line = L"\"" + Wide(f.app + "\\ftplaunch.exe") + L"\" " + Wide(mode);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        Wide(f.current).c_str(), &startup, &started))
        return 1000 + GetLastError();
    WaitForSingleObject(started.hProcess, 20000);
    DWORD code = 999;
    GetExitCodeProcess(started.hProcess, &code);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return code;
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// Starts the client through the launcher and checks which ftp.exe ran, where.
void ExpectStart(const Folders& f, const char* mode, const std::string& expectedProgramFolder,
                 const std::string& expectedCurrent) {
    const std::string record = f.root + "\\record.txt";
    SetEnvironmentVariableW(L"WAVECREST_STUB_RECORD", Wide(record).c_str());
    REQUIRE_EQ(RunLauncher(f, mode), 0ul);
    auto seen = WaitForRecord(record);
    CHECK_EQ(Lower(seen["module"]), Lower(expectedProgramFolder + "\\ftp.exe"));
    CHECK_EQ(Lower(seen["folder"]), Lower(expectedCurrent));
    CHECK_EQ(seen["show"], std::string("2"));
    CHECK_EQ(seen["useshowwindow"], std::string("1"));
    CHECK_EQ(seen["args"], std::string("-s:sendfiles.ftps"));
}

TEST_CASE("ftp.exe is found beside the program, then in the current folder, then on PATH") {
    const std::string here = platform::Win32FileSystem::ExecutableFolder();
    const Folders f = MakeFolders();
    bool copied = true;
    copied &= CopyFileW(Wide(here + "\\ftplaunch.exe").c_str(),
                        Wide(f.app + "\\ftplaunch.exe").c_str(), FALSE) != 0;
    for (const auto& folder : {f.app, f.current, f.path})
        copied &= CopyFileW(Wide(here + "\\ftpstub.exe").c_str(),
                            Wide(folder + "\\ftp.exe").c_str(), FALSE) != 0;
    REQUIRE(copied);

    wchar_t path[32767] = {};
    GetEnvironmentVariableW(L"PATH", path, 32767);
    SetEnvironmentVariableW(L"PATH", (Wide(f.path) + L";" + path).c_str());

    // The application folder comes first, whatever the current folder holds.
    ExpectStart(f, "", f.app, f.current);
    // As the uploader sends: the application folder is made current first.
    ExpectStart(f, "send", f.app, f.app);
    // Without one beside the program: the current folder's.
    DeleteFileW(Wide(f.app + "\\ftp.exe").c_str());
    ExpectStart(f, "", f.current, f.current);
    // Then the search path.
    DeleteFileW(Wide(f.current + "\\ftp.exe").c_str());
    ExpectStart(f, "", f.path, f.current);
    // Nowhere: the start fails with file-not-found, reported by the launcher.
    DeleteFileW(Wide(f.path + "\\ftp.exe").c_str());
    CHECK_EQ(RunLauncher(f, ""), 3ul);

    std::filesystem::remove_all(f.root);
}

} // namespace
