// Splitting a command line the way Windows programs split theirs
// (CommandLineToArgvW), so the same command text means the same program and
// arguments on every system.
#include "ProcessStarter.h"

namespace platform {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The program name: a quoted one ends at the next quote, whatever follows
// it; an unquoted one at the first blank, quotes and all. Backslashes are
// plain characters, as in the folder of a Windows path. A line that starts
// with a blank has an empty program name.
std::string TakeProgramName(const std::string& line, std::size_t& at) {
    const std::size_t start = at;
    if (at < line.size() && line[at] == '"') {
        const std::size_t close = line.find('"', start + 1);
        at = close == std::string::npos ? line.size() : close + 1;
        return line.substr(start + 1,
                           (close == std::string::npos ? line.size() : close) - start - 1);
    }
    while (at < line.size() && !IsBlank(line[at]))
        ++at;
    return line.substr(start, at - start);
}

// One argument after the program name: 2n backslashes before a quote give n
// backslashes and a grouping quote, 2n+1 give n backslashes and a literal
// quote. In a run of quotes every third one is a literal quote that also
// ends the group, so "a""b" is a"b, and "a"" b" is a" then b.
std::string TakeArgument(const std::string& line, std::size_t& at) {
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

void SkipBlanks(const std::string& line, std::size_t& at) {
    while (at < line.size() && IsBlank(line[at]))
        ++at;
}

} // namespace

// An empty line gives no words (Windows would answer with the running
// program's own path, which names nothing to start).
std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
    std::vector<std::string> words;
    if (commandLine.empty())
        return words;
    std::size_t at = 0;
    words.push_back(TakeProgramName(commandLine, at));
    for (SkipBlanks(commandLine, at); at < commandLine.size(); SkipBlanks(commandLine, at))
        words.push_back(TakeArgument(commandLine, at));
    return words;
}

} // namespace platform
