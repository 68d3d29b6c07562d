// Splitting a command line the way Windows programs split theirs, so the same
// command text means the same program and arguments on every system.
#include "ProcessStarter.h"

namespace platform {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The program name: quotes only group (a file name cannot hold one) and
// backslashes are plain characters, as in the folder of a Windows path.
std::string TakeProgramName(const std::string& line, std::size_t& at) {
    std::string name;
    bool quoted = false;
    for (; at < line.size() && (quoted || !IsBlank(line[at])); ++at) {
        if (line[at] == '"')
            quoted = !quoted;
        else
            name += line[at];
    }
    return name;
}

// One argument after the program name: 2n backslashes before a quote give n
// backslashes and a grouping quote, 2n+1 give n backslashes and a literal
// quote; a doubled quote inside a group is a literal quote.
std::string TakeArgument(const std::string& line, std::size_t& at) {
    std::string argument;
    bool quoted = false;
    while (at < line.size() && (quoted || !IsBlank(line[at]))) {
        std::size_t backslashes = 0;
        while (at < line.size() && line[at] == '\\') {
            ++backslashes;
            ++at;
        }
        if (at < line.size() && line[at] == '"') {
            argument.append(backslashes / 2, '\\');
            if (backslashes % 2 == 1) {
                argument += '"';
                ++at;
            } else if (quoted && at + 1 < line.size() && line[at + 1] == '"') {
                argument += '"';
                at += 2;
            } else {
                quoted = !quoted;
                ++at;
            }
        } else {
            argument.append(backslashes, '\\');
            if (at < line.size() && (quoted || !IsBlank(line[at])))
                argument += line[at++];
        }
    }
    return argument;
}

void SkipBlanks(const std::string& line, std::size_t& at) {
    while (at < line.size() && IsBlank(line[at]))
        ++at;
}

} // namespace

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
    std::vector<std::string> words;
    std::size_t at = 0;
    SkipBlanks(commandLine, at);
    if (at == commandLine.size())
        return words;
    words.push_back(TakeProgramName(commandLine, at));
    for (SkipBlanks(commandLine, at); at < commandLine.size(); SkipBlanks(commandLine, at))
        words.push_back(TakeArgument(commandLine, at));
    return words;
}

} // namespace platform
