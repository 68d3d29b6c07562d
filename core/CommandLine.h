#pragma once
// The process's argument text: everything after the program name, as one string.
#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

class CommandLine {
public:
    virtual ~CommandLine() = default;
    // Read afresh at every call. The base has no arguments.
    virtual std::string Text() const;
};

// Where the arguments of a command line begin, by the Windows rule: after
// the program name (a quoted one ends at its closing quote, an unquoted one
// at the first blank or tab) and the blanks after it.
std::size_t ArgumentsStart(std::string_view commandLine);

// Joins the arguments after the program name with single blanks.
std::string JoinArguments(int argc, const char* const* argv);

} // namespace platform
