// The argument text of a Windows program: its own command line without the
// program name, which is cut off by the rule the system's parsers use.
#include <windows.h>

#include "Win32CommandLine.h"
#include "Win32Text.h"
#include "platform/SystemServices.h"

namespace platform {

namespace {

// A quoted program name ends at the next quote, whatever follows; an
// unquoted one at the first blank or tab. The blanks after it go with it.
std::wstring AfterProgramName(const std::wstring& line) {
    size_t at = 0;
    if (!line.empty() && line[0] == L'"') {
        const size_t close = line.find(L'"', 1);
        at = close == std::wstring::npos ? line.size() : close + 1;
    } else {
        while (at < line.size() && line[at] != L' ' && line[at] != L'\t')
            ++at;
    }
    while (at < line.size() && (line[at] == L' ' || line[at] == L'\t'))
        ++at;
    return line.substr(at);
}

class Win32CommandLine : public CommandLine {
public:
    // Read afresh from the system at every call.
    std::string Text() const override {
        const wchar_t* line = GetCommandLineW();
        return win32::Utf8(AfterProgramName(line ? line : L""));
    }
};

} // namespace

std::string ArgumentText(const std::wstring& commandLine) {
    return win32::Utf8(AfterProgramName(commandLine));
}

std::unique_ptr<CommandLine> MakeSystemCommandLine(int, const char* const*) {
    return std::make_unique<Win32CommandLine>();
}

} // namespace platform
