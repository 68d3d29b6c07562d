#pragma once
// The platform services the windows reach, chosen in one place: the real
// ones at start-up (RealServices), fakes in tests.
namespace platform {

class CommandLine;
class FileDialog;
class FileSystem;
class MsgBox;
class ProcessStarter;
class Registry;
class Shell;
class WebBrowserFactory;

struct Services {
    CommandLine* commandLine = nullptr;
    FileDialog* fileDialog = nullptr;
    FileSystem* fileSystem = nullptr;
    MsgBox* messageBox = nullptr;
    ProcessStarter* processes = nullptr;
    Registry* registry = nullptr;
    Shell* shell = nullptr;
    WebBrowserFactory* browsers = nullptr;
};

// The services in use. Before anything is installed every member points at
// the safe base implementation (which does nothing or fails cleanly).
Services& services();
void install(const Services& chosen);

} // namespace platform
