#pragma once
// Starting programs on POSIX systems with the Windows search order and
// command-line rules, without a shell and without leaving zombies.
#include <string>
#include <vector>

#include "core/ProcessStarter.h"

namespace platform {

class PosixProcessStarter final : public ProcessStarter {
public:
    // `applicationFolder` is searched first; empty: the executable's folder.
    explicit PosixProcessStarter(std::string applicationFolder = {});
    void Start(const std::string& commandLine, int windowState) override;

private:
    std::string applicationFolder_;
};

// Where a program named without a folder is looked for, in order: the
// application folder, the current folder, then each folder of PATH.
std::vector<std::string> ProgramSearchFolders(const std::string& applicationFolder);

// The path of the program `name`: a name with a folder is taken as it is,
// otherwise the first executable file in `folders`; a name without an
// extension is tried with ".exe" and as given. Throws Failure(2, ...) naming
// the folders when there is none.
std::string FindProgram(const std::string& name, const std::vector<std::string>& folders);

} // namespace platform
