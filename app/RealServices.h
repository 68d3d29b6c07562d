#pragma once
// Picks the real platform services for this system and installs them.
namespace platform {

// Call once in main, before QApplication sees the arguments.
void InstallRealServices(int argc, const char* const* argv);

} // namespace platform
