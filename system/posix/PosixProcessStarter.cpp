#include "PosixProcessStarter.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ProcessPaths.h"
#include "core/Blank.h"
#include "core/Failure.h"
#include "system/SystemServices.h"

extern char** environ;

namespace platform {

namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

bool HasExtension(const std::string& name) {
    const auto dot = name.rfind('.');
    return dot != std::string::npos && dot != 0;
}

std::string Join(const std::vector<std::string>& parts, const char* separator) {
    std::string text;
    for (const auto& part : parts)
        text += (text.empty() ? "" : separator) + part;
    return text;
}

// The environment of the child: ours, with the window state set.
std::vector<std::string> ChildEnvironment(int windowState) {
    const std::string prefix = std::string(kShowWindowVariable) + "=";
    std::vector<std::string> entries;
    for (char** entry = environ; entry && *entry; ++entry)
        if (std::strncmp(*entry, prefix.c_str(), prefix.size()) != 0)
            entries.emplace_back(*entry);
    entries.push_back(prefix + std::to_string(windowState));
    return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (auto& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Runs in the grandchild between fork and exec: only async-signal-safe calls.
[[noreturn]] void ExecChild(const char* path, char* const* argv, char* const* envp, int errorPipe) {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    signal(SIGPIPE, SIG_DFL);
    execve(path, argv, envp);
    const int error = errno;
    (void)!write(errorPipe, &error, sizeof error);
    _exit(127);
}

// Double fork: the middle process exits at once and is reaped here, so the
// program is adopted by init and never becomes our zombie. The exec error,
// if any, comes back through a close-on-exec pipe.
int Spawn(const char* path, char* const* argv, char* const* envp) {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0)
        return errno;
    const pid_t middle = fork();
    if (middle < 0) {
        const int error = errno;
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        return error;
    }
    if (middle == 0) {
        close(pipeEnds[0]);
        const pid_t child = fork();
        if (child == 0)
            ExecChild(path, argv, envp, pipeEnds[1]);
        if (child < 0) {
            const int error = errno;
            (void)!write(pipeEnds[1], &error, sizeof error);
        }
        _exit(0);
    }
    close(pipeEnds[1]);
    while (waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got;
    while ((got = read(pipeEnds[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    close(pipeEnds[0]);
    return got == static_cast<ssize_t>(sizeof error) ? error : 0;
}

// The ends of the names an unquoted program name may have: before each
// run of blanks, and the end of the line.
std::vector<std::size_t> NameEnds(const std::string& line) {
    std::vector<std::size_t> ends;
    for (std::size_t at = 1; at <= line.size(); ++at)
        if ((at == line.size() || IsBlank(line[at])) && !IsBlank(line[at - 1]))
            ends.push_back(at);
    return ends;
}

} // namespace

PosixProcessStarter::PosixProcessStarter(std::string applicationFolder)
    : applicationFolder_(applicationFolder.empty() ? posix::ExecutableFolder()
                                                   : std::move(applicationFolder)) {}

std::vector<std::string> ProgramSearchFolders(const std::string& applicationFolder) {
    std::vector<std::string> folders{applicationFolder, posix::CurrentFolder()};
    const char* path = std::getenv("PATH");
    std::string list = path ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= list.size()) {
        auto end = list.find(':', start);
        if (end == std::string::npos)
            end = list.size();
        if (end > start)
            folders.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return folders;
}

std::string FindProgram(const std::string& name, const std::vector<std::string>& folders) {
    if (name.find('/') != std::string::npos) {
        if (IsExecutableFile(name))
            return name;
        throw Failure(2, "\"" + name + "\" was not found");
    }
    std::vector<std::string> candidates{name};
    if (!HasExtension(name))
        candidates.insert(candidates.begin(), name + ".exe");
    for (const auto& folder : folders)
        for (const auto& candidate : candidates) {
            const std::string path = folder == "/" ? "/" + candidate : folder + "/" + candidate;
            if (IsExecutableFile(path))
                return path;
        }
    throw Failure(2, "\"" + name + "\" was not found in " + Join(folders, "; "));
}

namespace {

// A program found for a command line, and the words it is started with.
struct ProgramCall {
    std::string path;
    std::vector<std::string> argv;
};

// The program of `commandLine` and its arguments. An unquoted program name
// that holds blanks is found as Windows finds it: the line up to each blank
// in turn, from the first, then the whole line; the first that names a
// program wins. Throws the failure of the first name tried when none does.
ProgramCall FindProgramCall(const std::string& commandLine,
                            const std::vector<std::string>& folders) {
    const auto words = SplitCommandLine(commandLine);
    if (words.empty() || words.front().empty())
        throw Failure(2, "No program is named in the command line \"" + commandLine + "\"");
    if (commandLine.front() == '"')
        return {FindProgram(words.front(), folders), words};
    std::optional<Failure> firstFailure;
    for (const std::size_t end : NameEnds(commandLine)) {
        const std::string name = commandLine.substr(0, end);
        try {
            ProgramCall call{FindProgram(name, folders), {name}};
            const auto arguments = SplitArguments(std::string_view(commandLine).substr(end));
            call.argv.insert(call.argv.end(), arguments.begin(), arguments.end());
            return call;
        } catch (const Failure& failure) {
            if (!firstFailure)
                firstFailure = failure;
        }
    }
    throw *firstFailure;
}

} // namespace

void PosixProcessStarter::Start(const std::string& commandLine, int windowState) {
    auto [path, words] = FindProgramCall(commandLine, ProgramSearchFolders(applicationFolder_));
    auto environment = ChildEnvironment(windowState);
    auto argv = Pointers(words);
    auto envp = Pointers(environment);
    if (const int error = Spawn(path.c_str(), argv.data(), envp.data()))
        throw Failure(error, "\"" + path + "\" could not be started: " + std::strerror(error));
}

std::unique_ptr<ProcessStarter> MakeSystemProcessStarter() {
    return std::make_unique<PosixProcessStarter>();
}

} // namespace platform
