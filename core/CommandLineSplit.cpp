// Splitting a command line the way Windows programs split theirs
// (CommandLineToArgvW), so the same command text means the same program and
// arguments on every system.
#include "Blank.h"
#include "CommandLine.h"
#include "ProcessStarter.h"

namespace platform {

namespace {

// Where the program name ends: a quoted one after its closing quote,
// whatever follows it; an unquoted one at the first blank, quotes and all.
// Backslashes are plain characters, as in the folder of a Windows path. A
// line that starts with a blank has an empty program name.
std::size_t ProgramNameEnd(std::string_view line) {
    if (!line.empty() && line.front() == '"') {
        const std::size_t close = line.find('"', 1);
        return close == std::string_view::npos ? line.size() : close + 1;
    }
    std::size_t end = 0;
    while (end < line.size() && !IsBlank(line[end]))
        ++end;
    return end;
}

// The program name without the quotes that group it.
std::string ProgramName(std::string_view line) {
    if (!line.empty() && line.front() == '"')
        return std::string(line.substr(1, line.find('"', 1) - 1)); // to the end if unclosed
    return std::string(line.substr(0, ProgramNameEnd(line)));
}

// One argument after the program name: 2n backslashes before a quote give n
// backslashes and a grouping quote, 2n+1 give n backslashes and a literal
// quote. In a run of quotes every third one is a literal quote that also
// ends the group, so "a""b" is a"b, and "a"" b" is a" then b.
std::string TakeArgument(std::string_view line, std::size_t& at) {
    std::string argument;
    int quotes = 0; // 1: inside a group
    std::size_t backslashes = 0;
    while (at < line.size() && !(IsBlank(line[at]) && quotes == 0)) {
        const char c = line[at++];
        if (c == '\\') {
            argument += c;
            ++backslashes;
            continue;
        }
        if (c == '"') {
            argument.resize(argument.size() - (backslashes + 1) / 2);
            if (backslashes % 2 == 1)
                argument += '"';
            else
                ++quotes;
            for (; at < line.size() && line[at] == '"'; ++at) {
                if (++quotes == 3) {
                    argument += '"';
                    quotes = 0;
                }
            }
            if (quotes == 2)
                quotes = 0;
        } else {
            argument += c;
        }
        backslashes = 0;
    }
    return argument;
}

void SkipBlanks(std::string_view line, std::size_t& at) {
    while (at < line.size() && IsBlank(line[at]))
        ++at;
}

} // namespace

std::size_t ArgumentsStart(std::string_view commandLine) {
    std::size_t at = ProgramNameEnd(commandLine);
    SkipBlanks(commandLine, at);
    return at;
}

std::vector<std::string> SplitArguments(std::string_view arguments) {
    std::vector<std::string> words;
    std::size_t at = 0;
    for (SkipBlanks(arguments, at); at < arguments.size(); SkipBlanks(arguments, at))
        words.push_back(TakeArgument(arguments, at));
    return words;
}

// An empty line gives no words (Windows would answer with the running
// program's own path, which names nothing to start).
std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
    if (commandLine.empty())
        return {};
    std::vector<std::string> words{ProgramName(commandLine)};
    const auto arguments = SplitArguments(commandLine.substr(ArgumentsStart(commandLine)));
    words.insert(words.end(), arguments.begin(), arguments.end());
    return words;
}

} // namespace platform
