#include "RegFileRegistry.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Descriptor.h"
#include "ProcessPaths.h"
#include "core/Failure.h"
#include "system/SystemServices.h"

namespace platform {

namespace {

using posix::Descriptor;

constexpr long kErrorInvalidParameter = 87;

// Rights that would allow a change: KEY_SET_VALUE, KEY_CREATE_SUB_KEY,
// KEY_CREATE_LINK, DELETE, WRITE_DAC, WRITE_OWNER, GENERIC_ALL, GENERIC_WRITE.
constexpr std::uint32_t kWriteRights =
    0x0002 | 0x0004 | 0x0020 | 0x10000 | 0x40000 | 0x80000 | 0x10000000 | 0x40000000;

// The predefined roots by their handle values (low 32 bits; 64-bit systems
// sign-extend them).
const char* RootName(RegKey root) {
    const auto wide = static_cast<std::uint64_t>(root);
    if (wide >> 32 != 0 && wide >> 32 != 0xFFFFFFFFu)
        return nullptr;
    switch (wide & 0xFFFFFFFFu) {
    case 0x80000000u:
        return "HKEY_CLASSES_ROOT";
    case 0x80000001u:
        return "HKEY_CURRENT_USER";
    case 0x80000002u:
        return "HKEY_LOCAL_MACHINE";
    case 0x80000003u:
        return "HKEY_USERS";
    case 0x80000005u:
        return "HKEY_CURRENT_CONFIG";
    case 0x80000006u:
        return "HKEY_DYN_DATA";
    default:
        return nullptr;
    }
}

// "a\b" below `path`; empty names (as in "a\\b" or "\a") name no key.
std::optional<std::string> Below(const std::string& path, std::string subKey) {
    if (!subKey.empty() && subKey.back() == '\\')
        subKey.pop_back();
    if (subKey.empty())
        return path;
    if (subKey.front() == '\\' || subKey.find("\\\\") != std::string::npos)
        return std::nullopt;
    return path + '\\' + subKey;
}

[[noreturn]] void Refuse(int number, const std::string& fileName, const std::string& why) {
    throw Failure(number, "The registry file \"" + fileName + "\" " + why);
}

[[noreturn]] void RefuseForError(const std::string& fileName, const char* cannot) {
    const int error = errno;
    Refuse(error, fileName, std::string(cannot) + ": " + std::strerror(error));
}

// The bytes of a regular file of at most kRegistryFileLimit bytes. Opened
// without blocking (a FIFO would wait for a writer) and checked once open.
std::string ReadRegularFile(const std::string& fileName) {
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0 && errno == ENOENT)
        return {};
    if (fd < 0)
        RefuseForError(fileName, "cannot be opened");
    const Descriptor file(fd);
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        RefuseForError(fileName, "cannot be read");
    if (!S_ISREG(info.st_mode))
        Refuse(EINVAL, fileName, "is not a regular file");
    const std::string tooLarge =
        "is larger than " + std::to_string(kRegistryFileLimit >> 20) + " MB";
    if (static_cast<std::uintmax_t>(info.st_size) > kRegistryFileLimit)
        Refuse(EFBIG, fileName, tooLarge);
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    char chunk[65536];
    for (;;) { // the file may grow while it is read
        const ssize_t count = ::read(fd, chunk, sizeof chunk);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            RefuseForError(fileName, "cannot be read");
        if (count == 0)
            return bytes;
        bytes.append(chunk, static_cast<std::size_t>(count));
        if (bytes.size() > kRegistryFileLimit)
            Refuse(EFBIG, fileName, tooLarge);
    }
}

} // namespace

regfile::Hive LoadRegFile(const std::string& fileName) {
    return regfile::ParseRegFile(ReadRegularFile(fileName));
}

RegFileRegistry::RegFileRegistry(std::string fileName) : fileName_(std::move(fileName)) {}

std::string RegFileRegistry::DefaultFileName() {
    const char* chosen = std::getenv(kRegistryFileVariable);
    if (chosen && *chosen)
        return chosen;
    return posix::ExecutableFolder() + "/" + kRegistryFileName;
}

std::optional<RegFileRegistry::OpenedKey> RegFileRegistry::Parent(RegKey root) const {
    if (const char* name = RootName(root))
        return OpenedKey{std::make_shared<const regfile::Hive>(LoadRegFile(fileName_)), name};
    const auto found = opened_.find(root);
    if (found == opened_.end())
        return std::nullopt;
    return found->second;
}

long RegFileRegistry::OpenKey(RegKey root, const std::string& subKey, std::uint32_t,
                              std::uint32_t access, RegKey* result) {
    if (!result)
        return kErrorInvalidParameter;
    *result = 0;
    auto parent = Parent(root);
    if (!parent)
        return kErrorInvalidHandle;
    const auto path = Below(parent->path, subKey);
    if (!path || (!parent->hive->HasKey(*path) && *path != parent->path))
        return kErrorFileNotFound;
    if (access & kWriteRights)
        return kErrorAccessDenied;
    *result = nextHandle_++;
    opened_[*result] = OpenedKey{parent->hive, *path};
    return kErrorSuccess;
}

long RegFileRegistry::QueryValue(RegKey key, const std::string& valueName, std::uint32_t* type,
                                 unsigned char* data, std::uint32_t* size) {
    const auto found = opened_.find(key);
    if (found == opened_.end())
        return kErrorInvalidHandle;
    const regfile::Value* value = found->second.hive->FindValue(found->second.path, valueName);
    if (!value)
        return kErrorFileNotFound;
    if (data && !size)
        return kErrorInvalidParameter;
    const auto bytes = regfile::AnsiData(*value);
    const auto needed = static_cast<std::uint32_t>(bytes.size());
    if (type)
        *type = value->type;
    if (!size)
        return kErrorSuccess;
    if (data && needed > *size) {
        *size = needed;
        return kErrorMoreData;
    }
    if (data && needed)
        std::memcpy(data, bytes.data(), needed);
    *size = needed;
    return kErrorSuccess;
}

long RegFileRegistry::CloseKey(RegKey key) {
    if (RootName(key))
        return kErrorSuccess;
    return opened_.erase(key) ? kErrorSuccess : kErrorInvalidHandle;
}

std::unique_ptr<Registry> MakeSystemRegistry() {
    return std::make_unique<RegFileRegistry>(RegFileRegistry::DefaultFileName());
}

} // namespace platform
