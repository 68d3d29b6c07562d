#include "RealServices.h"

#include "core/Services.h"
#include "panes/QtWebDialogs.h"
#include "panes/WebEngineBrowserFactory.h"
#include "system/SystemServices.h"
#include "ui/QtFileDialog.h"
#include "ui/QtMsgBox.h"
#include "ui/QtShell.h"

namespace platform {

void InstallRealServices(int argc, const char* const* argv) {
    static auto commandLine = MakeSystemCommandLine(argc, argv);
    static auto fileSystem = MakeSystemFileSystem();
    static auto processes = MakeSystemProcessStarter();
    static auto registry = MakeSystemRegistry();
    static QtFileDialog fileDialog;
    static QtMsgBox messageBox;
    static QtShell shell;
    static QtWebDialogs webDialogs;
    static WebEngineBrowserFactory browsers(webDialogs);
    Services chosen;
    chosen.commandLine = commandLine.get();
    chosen.fileSystem = fileSystem.get();
    chosen.processes = processes.get();
    chosen.registry = registry.get();
    chosen.fileDialog = &fileDialog;
    chosen.messageBox = &messageBox;
    chosen.shell = &shell;
    chosen.browsers = &browsers;
    install(chosen);
}

} // namespace platform
