#pragma once
// Text at the Windows API boundary: the program's UTF-8 strings become the
// wide strings of the W functions and back; system error numbers get the
// system's own description.
#include <string>

namespace platform::win32 {

std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);
// The system's text for a GetLastError() number, without the final line break.
std::string ErrorText(unsigned long error);
// Throws platform::Failure(error, what + ": " + the system's text).
[[noreturn]] void Fail(unsigned long error, const std::string& what);

} // namespace platform::win32
