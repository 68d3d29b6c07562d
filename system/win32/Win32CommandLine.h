#pragma once
// The argument text of a Windows program (see Win32CommandLine.cpp).
#include <string>

namespace platform {

// `commandLine` without its program name and the blanks after it, as UTF-8.
std::string ArgumentText(const std::wstring& commandLine);

} // namespace platform
