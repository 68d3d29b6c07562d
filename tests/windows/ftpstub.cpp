// Stands in for the FTP client: records where it was found, its current
// folder, the window state it was given and its arguments, in the file
// named by WAVECREST_STUB_RECORD (written whole, then renamed into place).
#include <windows.h>

#include <string>

#include "platform/win32/Win32CommandLine.h"
#include "platform/win32/Win32Text.h"

using platform::win32::Utf8;

int main() {
    wchar_t module[MAX_PATH] = {}, folder[MAX_PATH] = {}, record[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    GetCurrentDirectoryW(MAX_PATH, folder);
    if (!GetEnvironmentVariableW(L"WAVECREST_STUB_RECORD", record, MAX_PATH))
        return 2;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    const std::string text = "module=" + Utf8(module) + "\nfolder=" + Utf8(folder) +
                             "\nshow=" + std::to_string(startup.wShowWindow) + "\nuseshowwindow=" +
                             std::to_string((startup.dwFlags & STARTF_USESHOWWINDOW) ? 1 : 0) +
                             "\nargs=" + platform::ArgumentText(GetCommandLineW()) + "\n";
    const std::wstring partial = std::wstring(record) + L".part";
    HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 3;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return MoveFileExW(partial.c_str(), record, MOVEFILE_REPLACE_EXISTING) ? 0 : 4;
}
