#pragma once
// The local machine registry through advapi32, read as the program reads it:
// RegOpenKeyExA, RegQueryValueExA and RegCloseKey, passed straight through.
#include "core/Registry.h"

namespace platform {

class Win32Registry final : public Registry {
public:
    long OpenKey(RegKey root, const std::string& subKey, std::uint32_t options,
                 std::uint32_t access, RegKey* result) override;
    long QueryValue(RegKey key, const std::string& valueName, std::uint32_t* type,
                    unsigned char* data, std::uint32_t* size) override;
    long CloseKey(RegKey key) override;
};

} // namespace platform
