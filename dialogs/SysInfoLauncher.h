#pragma once
// The System Info button's work: find the system information tool through
// the local machine registry and start it, or say that it is unavailable.
// The About window's public operations StartSysInfo and GetKeyValue hand
// over to these.
#include <string>

#include "core/Registry.h"

namespace platform {
class FileSystem;
class MsgBox;
class ProcessStarter;
struct Services;
} // namespace platform

namespace dialogs {

inline constexpr const char* kSysInfoUnavailable = "System Information Is Unavailable At This Time";
inline constexpr const char* kMsinfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr const char* kMsinfoLocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr const char* kMsinfoProgram = "MSINFO32.EXE";

// Reads value `SubKeyRef` of key `KeyName` below `KeyRoot` (opened for
// reading only) as text. On success: a REG_SZ replaces `KeyVal`, a REG_DWORD
// becomes its decimal number (see the .cpp), any other type leaves `KeyVal`
// as it was; on failure `KeyVal` is emptied and the result is false. Data
// over 1024 bytes count as missing; a value of size 0 reads as empty text.
// Never shows a message; a failure of the registry object itself propagates.
bool GetKeyValue(platform::Registry& registry, platform::RegKey KeyRoot, const std::string& KeyName,
                 const std::string& SubKeyRef, std::string& KeyVal);

// Starts the tool named by the "PATH" value, else MSINFO32.EXE in the folder
// named by the "MSINFO" value if that file exists, with window state 1. Any
// lookup that fails, and any failure on the way, ends in the one message box.
void StartSysInfo(platform::Registry& registry, platform::FileSystem& fileSystem,
                  platform::ProcessStarter& processes, platform::MsgBox& messageBox);
// The same with the services in use.
void StartSysInfo(const platform::Services& services);

} // namespace dialogs
