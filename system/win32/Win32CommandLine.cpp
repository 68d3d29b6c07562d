// The argument text of a Windows program: its own command line without the
// program name, which is cut off by the rule the system's parsers use.
#include <windows.h>

#include "Win32CommandLine.h"
#include "Win32Text.h"
#include "system/SystemServices.h"

namespace platform {

namespace {

class Win32CommandLine final : public CommandLine {
public:
    // Read afresh from the system at every call.
    std::string Text() const override {
        const wchar_t* line = GetCommandLineW();
        return ArgumentText(line ? line : L"");
    }
};

} // namespace

// Blanks, tabs and quotes are the same characters in UTF-8, so the rule
// applies to the converted line.
std::string ArgumentText(const std::wstring& commandLine) {
    const std::string line = win32::Utf8(commandLine);
    return line.substr(ArgumentsStart(line));
}

std::unique_ptr<CommandLine> MakeSystemCommandLine(int, const char* const*) {
    return std::make_unique<Win32CommandLine>();
}

} // namespace platform
