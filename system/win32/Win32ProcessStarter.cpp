#include "Win32ProcessStarter.h"

#include <windows.h>

#include <vector>

#include "Win32Text.h"
#include "system/SystemServices.h"

namespace platform {

void Win32ProcessStarter::Start(const std::string& commandLine, int windowState) {
    // CreateProcessW may write into the command line, so it gets a copy.
    std::wstring text = win32::Wide(commandLine);
    std::vector<wchar_t> line(text.begin(), text.end());
    line.push_back(L'\0');

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(windowState);
    PROCESS_INFORMATION started{};
    // No application name: the system takes the program from the command
    // line and searches for it in its usual order. No shell is involved.
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started))
        win32::Fail(GetLastError(), "\"" + commandLine + "\" could not be started");
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
}

std::unique_ptr<ProcessStarter> MakeSystemProcessStarter() {
    return std::make_unique<Win32ProcessStarter>();
}

} // namespace platform
