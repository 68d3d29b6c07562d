#include "Services.h"

#include "CommandLine.h"
#include "FileDialog.h"
#include "FileSystem.h"
#include "MsgBox.h"
#include "ProcessStarter.h"
#include "Registry.h"
#include "Shell.h"

namespace platform {

namespace {
Services fallbacks() {
    static CommandLine commandLine;
    static FileDialog fileDialog;
    static FileSystem fileSystem;
    static MsgBox messageBox;
    static ProcessStarter processes;
    static Registry registry;
    static Shell shell;
    Services s;
    s.commandLine = &commandLine;
    s.fileDialog = &fileDialog;
    s.fileSystem = &fileSystem;
    s.messageBox = &messageBox;
    s.processes = &processes;
    s.registry = &registry;
    s.shell = &shell;
    return s;
}
} // namespace

Services& services() {
    static Services current = fallbacks();
    return current;
}

void install(const Services& chosen) {
    Services merged = fallbacks();
    auto pick = [](auto* mine, auto* base) { return mine ? mine : base; };
    Services& s = services();
    s.commandLine = pick(chosen.commandLine, merged.commandLine);
    s.fileDialog = pick(chosen.fileDialog, merged.fileDialog);
    s.fileSystem = pick(chosen.fileSystem, merged.fileSystem);
    s.messageBox = pick(chosen.messageBox, merged.messageBox);
    s.processes = pick(chosen.processes, merged.processes);
    s.registry = pick(chosen.registry, merged.registry);
    s.shell = pick(chosen.shell, merged.shell);
    s.browsers = chosen.browsers;
}

} // namespace platform
