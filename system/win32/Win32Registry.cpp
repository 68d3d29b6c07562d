#include "Win32Registry.h"

#include <windows.h>

#include "system/SystemServices.h"

namespace platform {

namespace {

// The predefined roots are 32-bit values (0x80000002 for the local machine)
// that 64-bit Windows sign-extends; a root given in its 32-bit form is
// widened here so both forms name the same key.
HKEY Handle(RegKey key) {
    if (key >= 0x80000000u && key <= 0x800000FFu)
        return reinterpret_cast<HKEY>(
            static_cast<INT_PTR>(static_cast<LONG>(static_cast<std::uint32_t>(key))));
    return reinterpret_cast<HKEY>(key);
}

} // namespace

long Win32Registry::OpenKey(RegKey root, const std::string& subKey, std::uint32_t options,
                            std::uint32_t access, RegKey* result) {
    HKEY opened = nullptr;
    const LSTATUS status = RegOpenKeyExA(Handle(root), subKey.c_str(), options, access, &opened);
    if (result)
        *result = reinterpret_cast<RegKey>(opened);
    return status;
}

long Win32Registry::QueryValue(RegKey key, const std::string& valueName, std::uint32_t* type,
                               unsigned char* data, std::uint32_t* size) {
    DWORD valueType = type ? *type : 0; // left as it was where the call sets none
    DWORD valueSize = size ? *size : 0;
    const LSTATUS status =
        RegQueryValueExA(Handle(key), valueName.c_str(), nullptr, type ? &valueType : nullptr, data,
                         size ? &valueSize : nullptr);
    if (type)
        *type = valueType;
    if (size)
        *size = valueSize;
    return status;
}

long Win32Registry::CloseKey(RegKey key) {
    return RegCloseKey(Handle(key));
}

std::unique_ptr<Registry> MakeSystemRegistry() {
    return std::make_unique<Win32Registry>();
}

} // namespace platform
