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

// `folder` + "\" + `name` with the local separator, e.g. JoinPath("app", "temp")
// == "app/temp" on POSIX. Nothing is checked or normalised.
inline std::string JoinPath(const std::string& folder, const std::string& name) {
    return folder + kPathSeparator + name;
}

} // namespace platform
