#include "SysInfoLauncher.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <optional>

#include "core/FileSystem.h"
#include "core/MsgBox.h"
#include "core/Paths.h"
#include "core/ProcessStarter.h"
#include "core/Services.h"

namespace dialogs {

namespace {

constexpr std::uint32_t kBufferSize = 1024;

// The general value formatting without a pattern: a hexadecimal literal
// "&h" + 1 to 8 digits becomes its number in decimal, read as a signed
// 16-bit number up to 4 digits and as a signed 32-bit number up to 8 (so
// "&hFFFFFFFF" gives -1); any other text stays as it is.
std::string FormatGeneral(const std::string& text) {
    if (text.size() < 3 || text.size() > 10 || text[0] != '&' || (text[1] != 'h' && text[1] != 'H'))
        return text;
    const char* const end = text.data() + text.size();
    std::uint32_t number = 0;
    const auto [stop, error] = std::from_chars(text.data() + 2, end, number, 16);
    if (error != std::errc() || stop != end)
        return text;
    if (text.size() - 2 <= 4)
        return std::to_string(static_cast<std::int16_t>(number));
    return std::to_string(static_cast<std::int32_t>(number));
}

// The stored bytes as text: a last byte of zero (a text's terminator) is dropped.
std::string KeptText(const std::array<unsigned char, kBufferSize>& buffer, std::uint32_t size) {
    if (size > kBufferSize)
        size = kBufferSize;
    if (size > 0 && buffer[size - 1] == 0)
        --size;
    return std::string(reinterpret_cast<const char*>(buffer.data()), size);
}

// The bytes from last to first as two upper-case hex digits each, so a
// little-endian number comes out most significant byte first.
std::string HexDigitsReversed(const std::string& kept) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string digits;
    for (auto it = kept.rbegin(); it != kept.rend(); ++it) {
        const auto byte = static_cast<unsigned char>(*it);
        digits += kDigits[byte >> 4];
        digits += kDigits[byte & 0xF];
    }
    return digits;
}

// Either the tool's command line, or nothing when it cannot be found.
std::optional<std::string> FindTool(platform::Registry& registry,
                                    const platform::FileSystem& fileSystem) {
    std::string toolPath;
    if (GetKeyValue(registry, platform::kHKeyLocalMachine, kMsinfoKey, "PATH", toolPath))
        return toolPath;
    if (!GetKeyValue(registry, platform::kHKeyLocalMachine, kMsinfoLocationKey, "MSINFO", toolPath))
        return std::nullopt;
    const std::string program = platform::JoinPath(toolPath, kMsinfoProgram);
    if (!fileSystem.FileExists(program))
        return std::nullopt;
    return program;
}

} // namespace

bool GetKeyValue(platform::Registry& registry, platform::RegKey KeyRoot, const std::string& KeyName,
                 const std::string& SubKeyRef, std::string& KeyVal) {
    platform::RegKey key = 0;
    std::uint32_t type = 0;
    std::array<unsigned char, kBufferSize> buffer{};
    std::uint32_t size = kBufferSize;
    if (registry.OpenKey(KeyRoot, KeyName, 0, platform::kKeyRead, &key) !=
            platform::kErrorSuccess ||
        registry.QueryValue(key, SubKeyRef, &type, buffer.data(), &size) !=
            platform::kErrorSuccess) {
        KeyVal.clear();
        registry.CloseKey(key);
        return false;
    }
    const std::string kept = KeptText(buffer, size);
    if (type == platform::kRegSz)
        KeyVal = kept;
    else if (type == platform::kRegDword)
        KeyVal = FormatGeneral("&h" + KeyVal + HexDigitsReversed(kept));
    registry.CloseKey(key);
    return true;
}

void StartSysInfo(platform::Registry& registry, platform::FileSystem& fileSystem,
                  platform::ProcessStarter& processes, platform::MsgBox& messageBox) {
    try {
        if (const auto toolPath = FindTool(registry, fileSystem)) {
            processes.Start(*toolPath, platform::kShowNormal);
            return;
        }
    } catch (...) {
        // Any failure on the way means the tool is unavailable.
    }
    messageBox.Show(kSysInfoUnavailable, platform::kMbOk);
}

void StartSysInfo(const platform::Services& services) {
    StartSysInfo(*services.registry, *services.fileSystem, *services.processes,
                 *services.messageBox);
}

} // namespace dialogs
