#pragma once
// The process's argument text: everything after the program name, as one string.
#include <string>

namespace platform {

class CommandLine {
public:
    virtual ~CommandLine() = default;
    // Read afresh at every call. The base has no arguments.
    virtual std::string Text() const;
};

// Joins the arguments after the program name with single blanks.
std::string JoinArguments(int argc, const char* const* argv);

} // namespace platform
