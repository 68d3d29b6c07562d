#pragma once
// The two folders of the running process that several POSIX services need.
#include <string>

namespace platform::posix {

// The folder that holds the running executable (from /proc/self/exe);
// "." when the system does not tell.
std::string ExecutableFolder();

// The process's current folder; throws platform::Failure when it cannot be
// read (for example after it was removed).
std::string CurrentFolder();

} // namespace platform::posix
