// "ftp.exe -s:sendfiles.ftps" started minimized finds the ftp.exe beside the
// starting program before the current folder's and PATH's, and sees its
// window state and folder. This one program plays every part: copied as
// Wavecrest.exe and given "launch" it sends as the uploader does; copied as
// ftp.exe it records what it was given into WAVECREST_STUB_RECORD.
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#define DOCTEST_CONFIG_IMPLEMENT
#include <doctest/doctest.h>

#include "core/Failure.h"
#include "system/win32/Win32CommandLine.h"
#include "system/win32/Win32FileSystem.h"
#include "system/win32/Win32ProcessStarter.h"
#include "system/win32/Win32Text.h"

using platform::win32::Utf8;
using platform::win32::Wide;
namespace fs = std::filesystem;

namespace {

std::string Lower(std::string text) {
    CharLowerA(text.data());
    return text;
}

std::string Module() {
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    return Utf8(module);
}

// The FTP client's part: the record is written whole, then renamed into place.
int RecordStart() {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    const std::string record = Utf8(_wgetenv(L"WAVECREST_STUB_RECORD"));
    std::ofstream(record + ".part", std::ios::binary)
        << "module=" << Module() << "\nfolder=" << fs::current_path().string()
        << "\nshow=" << startup.wShowWindow
        << "\nuseshowwindow=" << ((startup.dwFlags & STARTF_USESHOWWINDOW) ? 1 : 0)
        << "\nargs=" << platform::ArgumentText(GetCommandLineW()) << "\n";
    fs::rename(record + ".part", record);
    return 0;
}

// The uploader's part: optionally make the application folder current
// ("send"), then start the client minimized. 3 when the start failed.
int Send(bool makeCurrent) {
    try {
        platform::Win32FileSystem files;
        if (makeCurrent)
            files.SetCurrentFolder(files.ApplicationFolder());
        platform::Win32ProcessStarter().Start("ftp.exe -s:sendfiles.ftps",
                                              platform::kShowMinimized);
    } catch (const platform::Failure&) {
        return 3;
    }
    return 0;
}

struct Folders {
    std::string root, app, current, path;
};

// Runs the copy in the application folder from `current`; returns its exit code.
DWORD Launch(const Folders& f, const std::wstring& mode) {
    std::wstring line = L"\"" + Wide(f.app + "\\Wavecrest.exe") + L"\" launch " + mode;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        Wide(f.current).c_str(), &startup, &started))
        return 1000 + GetLastError();
    WaitForSingleObject(started.hProcess, 20000);
    DWORD code = 999;
    GetExitCodeProcess(started.hProcess, &code);
    for (HANDLE handle : {started.hThread, started.hProcess})
        CloseHandle(handle);
    return code;
}

// The record the client wrote, as key=value pairs; empty after 20 s without one.
std::map<std::string, std::string> WaitForRecord(const std::string& path) {
    std::map<std::string, std::string> record;
    for (int waited = 0; waited < 20000 && !fs::exists(path); waited += 50)
        Sleep(50);
    std::ifstream file(path, std::ios::binary);
    for (std::string line; std::getline(file, line);)
        if (const auto equals = line.find('='); equals != std::string::npos)
            record[line.substr(0, equals)] = line.substr(equals + 1);
    file.close();
    fs::remove(path);
    return record;
}

// Sends through the launcher and checks which ftp.exe ran, where.
void ExpectStart(const Folders& f, const wchar_t* mode, const std::string& programFolder,
                 const std::string& current) {
    const std::string record = f.root + "\\record.txt";
    SetEnvironmentVariableW(L"WAVECREST_STUB_RECORD", Wide(record).c_str());
    REQUIRE_EQ(Launch(f, mode), 0ul);
    auto seen = WaitForRecord(record);
    CHECK_EQ(Lower(seen["module"] + "|" + seen["folder"]),
             Lower(programFolder + "\\ftp.exe|" + current));
    CHECK_EQ(seen["show"] + seen["useshowwindow"] + " " + seen["args"], "21 -s:sendfiles.ftps");
}

TEST_CASE("ftp.exe is found beside the program, then in the current folder, then on PATH") {
    const std::string root = (fs::temp_directory_path() / "wavecrest-ftpstart").string() +
                             std::to_string(GetCurrentProcessId());
    const Folders f{root, root + "\\Program Folder", root + "\\current", root + "\\on path"};
    for (const auto& folder : {f.app, f.current, f.path}) {
        fs::create_directories(folder);
        fs::copy_file(Module(), folder + "\\ftp.exe");
    }
    fs::copy_file(Module(), f.app + "\\Wavecrest.exe");
    wchar_t path[32767] = {};
    GetEnvironmentVariableW(L"PATH", path, 32767);
    SetEnvironmentVariableW(L"PATH", (Wide(f.path) + L";" + path).c_str());

    // The application folder comes first, whatever the current folder holds.
    ExpectStart(f, L"", f.app, f.current);
    // As the uploader sends: the application folder is made current first.
    ExpectStart(f, L"send", f.app, f.app);
    // Without one beside the program: the current folder's.
    fs::remove(f.app + "\\ftp.exe");
    ExpectStart(f, L"", f.current, f.current);
    // Then the search path.
    fs::remove(f.current + "\\ftp.exe");
    ExpectStart(f, L"", f.path, f.current);
    // Nowhere: the start fails with file-not-found, reported by the launcher.
    fs::remove(f.path + "\\ftp.exe");
    CHECK_EQ(Launch(f, L""), 3ul);
    fs::remove_all(f.root);
}

} // namespace

int main(int argc, char** argv) {
    if (Lower(fs::path(Module()).filename().string()) == "ftp.exe")
        return RecordStart();
    if (argc > 1 && std::string(argv[1]) == "launch")
        return Send(argc > 2 && std::string(argv[2]) == "send");
    return doctest::Context(argc, argv).run();
}
