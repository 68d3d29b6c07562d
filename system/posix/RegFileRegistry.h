#pragma once
// The registry on systems without one: read-only, from a registry export
// file (see core/RegFile.h). The file is read afresh whenever a key is
// opened below a root, so edits take effect on the next lookup.
//
// Where the file lies: the environment variable WAVECREST_REGISTRY_FILE, or
// else "wavecrest.reg" in the program's folder.
//
// Only a regular file of at most kRegistryFileLimit bytes is read (a registry
// export of a few MB is large); anything else is refused with a
// platform::Failure that says why, so a FIFO or a device can neither hold
// the window's thread nor fill the memory. A missing file is an empty registry.
#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "core/RegFile.h"
#include "core/Registry.h"

namespace platform {

inline constexpr const char* kRegistryFileVariable = "WAVECREST_REGISTRY_FILE";
inline constexpr const char* kRegistryFileName = "wavecrest.reg";
inline constexpr std::size_t kRegistryFileLimit = 16 * 1024 * 1024;

// The file named `fileName` as a hive (see above for what is refused).
regfile::Hive LoadRegFile(const std::string& fileName);

class RegFileRegistry final : public Registry {
public:
    explicit RegFileRegistry(std::string fileName);

    // Opening with any write right is refused with access denied. Opening
    // below a root reads the file; a refused file throws platform::Failure.
    long OpenKey(RegKey root, const std::string& subKey, std::uint32_t options,
                 std::uint32_t access, RegKey* result) override;
    long QueryValue(RegKey key, const std::string& valueName, std::uint32_t* type,
                    unsigned char* data, std::uint32_t* size) override;
    long CloseKey(RegKey key) override;

    // The file named by the environment, else the one beside the program.
    static std::string DefaultFileName();

private:
    struct OpenedKey {
        std::shared_ptr<const regfile::Hive> hive; // as read when its root was opened
        std::string path;
    };
    std::optional<OpenedKey> Parent(RegKey root) const;

    std::string fileName_;
    std::map<RegKey, OpenedKey> opened_;
    RegKey nextHandle_ = 0x1000;
};

} // namespace platform
