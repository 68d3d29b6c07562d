// Fuzz target: any bytes as a registry file must parse without a crash or
// undefined behaviour, and what comes out must keep the format's rules.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/RegFile.h"

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

// Text converted to UTF-8 is valid UTF-8: a round trip changes nothing.
void RequireValidUtf8(const std::string& text) {
    using namespace platform::regfile;
    Require(Utf16ToUtf8(Utf8ToUtf16(text)) == text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace platform::regfile;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const Hive hive = ParseRegFile(bytes);
    for (const auto& [folded, key] : hive.Keys()) {
        Require(folded == FoldCase(key.path));
        Require(key.path.rfind("HKEY_", 0) == 0);
        Require(hive.HasKey(key.path));
        RequireValidUtf8(key.path);
        for (const auto& [name, value] : key.values) {
            Require(name == FoldCase(value.name));
            Require(hive.FindValue(key.path, value.name) == &value);
            RequireValidUtf8(value.name);
            const auto ansi = AnsiData(value);
            if (value.type == 1 || value.type == 2 || value.type == 7)
                RequireValidUtf8(std::string(ansi.begin(), ansi.end()));
        }
    }
    RequireValidUtf8(Utf16ToUtf8(Utf8ToUtf16(bytes)));
    return 0;
}
