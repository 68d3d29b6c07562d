#pragma once
// Starting a program from a command line, as Windows does: the line is split
// by the Windows rules and the program is looked up in the application
// folder, the current folder, then the search path; an unquoted program name
// that holds blanks is tried up to each blank in turn. Never a shell.
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Window states as Windows passes them to a new program.
inline constexpr int kShowNormal = 1;
inline constexpr int kShowMinimized = 2;

// On POSIX the window state reaches the child in this environment variable.
inline constexpr const char* kShowWindowVariable = "WAVECREST_SHOW_WINDOW";

class ProcessStarter {
public:
    virtual ~ProcessStarter() = default;
    // Starts the program and returns at once; the child inherits the current
    // folder and is not waited for. Throws platform::Failure when the program
    // cannot be found or started (the reason names where it looked).
    virtual void Start(const std::string& commandLine, int windowState);
};

// Splits a command line by the Windows rules (blanks and tabs separate,
// double quotes group, 2n backslashes before a quote give n and a quote).
std::vector<std::string> SplitCommandLine(const std::string& commandLine);
// The same rules for the text after the program name.
std::vector<std::string> SplitArguments(std::string_view arguments);

} // namespace platform
