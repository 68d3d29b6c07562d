#pragma once
// The real implementations of the Qt-free seams for the running system.
// Each is defined once per system (posix/ or win32/), picked by CMake.
#include <memory>

#include "core/CommandLine.h"
#include "core/FileSystem.h"
#include "core/ProcessStarter.h"
#include "core/Registry.h"

namespace platform {

std::unique_ptr<FileSystem> MakeSystemFileSystem();
std::unique_ptr<ProcessStarter> MakeSystemProcessStarter();
std::unique_ptr<Registry> MakeSystemRegistry();
// The argument text of this process; argc/argv are used where the system
// keeps no command-line text of its own.
std::unique_ptr<CommandLine> MakeSystemCommandLine(int argc, const char* const* argv);

} // namespace platform
