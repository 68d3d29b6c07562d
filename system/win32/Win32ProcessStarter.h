#pragma once
// Starting programs on Windows with CreateProcess. The program is looked up
// by the system itself: the program's own folder first, then the current
// folder, the system folders and the search path.
#include "core/ProcessStarter.h"

namespace platform {

class Win32ProcessStarter final : public ProcessStarter {
public:
    // The window state goes to the new program in STARTUPINFO.wShowWindow.
    void Start(const std::string& commandLine, int windowState) override;
};

} // namespace platform
