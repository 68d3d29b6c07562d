#pragma once
// The one place that knows the folder separator of the running system.
// Paths are formed by appending text, as the windows do ("\temp", "\temp\*.mp3").
#include <string>

namespace platform {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// "\" + name with the local separator, e.g. Sep("temp") == "/temp" on POSIX.
inline std::string Sep(const std::string& name) { return std::string(1, kPathSeparator) + name; }

} // namespace platform
