// ftp.exe: a command-line FTP script client with the Windows client's
// switches and commands, so the same "-s:" script works on every system.
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <string>
#include <vector>

#include "Client.h"
#include "WindowRun.h"
#include "core/ProcessStarter.h"
#include "system/posix/ProcessPaths.h"

namespace {

// Null when the window module cannot be loaded: the client then runs as
// in a console, its transcript on standard output.
ftp::RunWithWindowFunction LoadWindow() {
    const std::string module = platform::posix::ExecutableFolder() + "/" + ftp::kWindowModule;
    void* handle = ::dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
    void* entry = handle ? ::dlsym(handle, WAVECREST_FTP_WINDOW_ENTRY) : nullptr;
    if (!entry) // say why, so a broken install is not mistaken for a console run
        std::fprintf(stderr, "ftp: no transcript window: %s\n", ::dlerror());
    return reinterpret_cast<ftp::RunWithWindowFunction>(entry);
}

} // namespace

int main(int argc, char** argv) {
    const auto mode =
        ftp::ChooseWindowMode(std::getenv(platform::kShowWindowVariable), std::getenv("DISPLAY"),
                              std::getenv("WAYLAND_DISPLAY"), std::getenv("QT_QPA_PLATFORM"));
    if (mode != ftp::WindowMode::None)
        if (const auto runWithWindow = LoadWindow())
            return runWithWindow(argc, argv, static_cast<int>(mode));
    ftp::Transcript transcript;
    return ftp::RunClient(std::vector<std::string>(argv + 1, argv + argc), transcript);
}
