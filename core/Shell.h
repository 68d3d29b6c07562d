#pragma once
// Opens a web address in the user's default web browser. The result is not
// looked at by any caller, so the base quietly does nothing.
#include <string>

namespace platform {

class Shell {
public:
    virtual ~Shell() = default;
    virtual void Open(const std::string& address);
};

} // namespace platform
