#pragma once
// Read-only access to the local machine registry, with the contract of the
// Win32 calls RegOpenKeyExA, RegQueryValueExA and RegCloseKey.
#include <cstdint>
#include <string>

namespace platform {

using RegKey = std::uintptr_t;
inline constexpr RegKey kHKeyLocalMachine = 0x80000002u;

// Error codes as Windows reports them.
inline constexpr long kErrorSuccess = 0;
inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorAccessDenied = 5;
inline constexpr long kErrorInvalidHandle = 6;
inline constexpr long kErrorMoreData = 234;

// Value types by their numbers: the ones read as text or number.
inline constexpr std::uint32_t kRegSz = 1, kRegExpandSz = 2, kRegBinary = 3, kRegDword = 4,
                               kRegMultiSz = 7;

// Access rights.
inline constexpr std::uint32_t kKeyQueryValue = 0x0001, kKeyRead = 0x20019;

class Registry {
public:
    virtual ~Registry() = default;
    // The base is an empty registry: every key is missing.
    virtual long OpenKey(RegKey root, const std::string& subKey, std::uint32_t options,
                         std::uint32_t access, RegKey* result);
    virtual long QueryValue(RegKey key, const std::string& valueName, std::uint32_t* type,
                            unsigned char* data, std::uint32_t* size);
    virtual long CloseKey(RegKey key);
};

} // namespace platform
