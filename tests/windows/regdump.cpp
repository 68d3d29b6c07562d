// Dumps what a registry gives for keys and values, built for Linux on our
// registry-file stand-in and for Windows on advapi32, so the dumps can be diffed.
//   regdump QUERIES [REGFILE]
// QUERIES: one a line below HKEY_LOCAL_MACHINE, "KEY" (does it open) or
// "KEY|NAME" (the value; "KEY|" the default); "#" starts a comment. REGFILE
// is what the stand-in reads (on Windows the file was imported beforehand).
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "core/Registry.h"
#include "dialogs/SysInfoLauncher.h"
#include "system/SystemServices.h"
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include "system/posix/RegFileRegistry.h"
#endif

using namespace platform;

namespace {

// Bytes as hexadecimal pairs, so both sides print any text alike.
std::string Hex(const unsigned char* data, std::size_t size) {
    std::string text;
    for (std::size_t i = 0; i < size; ++i) {
        char pair[4];
        std::snprintf(pair, sizeof pair, i ? " %02x" : "%02x", data[i]);
        text += pair;
    }
    return text;
}

// One query call: its status, and type, size and data where the call gives them.
std::string Query(Registry& registry, RegKey key, const std::string& name, bool withData,
                  std::uint32_t capacity) {
    std::vector<unsigned char> buffer(capacity + 1, 0xCC);
    std::uint32_t type = 0xDEADu, size = capacity;
    const long status =
        registry.QueryValue(key, name, &type, withData ? buffer.data() : nullptr, &size);
    std::string line = "status=" + std::to_string(status);
    if (status == kErrorSuccess || status == kErrorMoreData)
        line += " type=" + std::to_string(type) + " size=" + std::to_string(size);
    if (status == kErrorSuccess && withData)
        line += " data=[" + Hex(buffer.data(), size) + "]";
    return line;
}

void DumpValue(Registry& registry, const std::string& keyPath, const std::string& name) {
    std::printf("value %s|%s\n", keyPath.c_str(), name.c_str());
    RegKey key = 0;
    const long opened = registry.OpenKey(kHKeyLocalMachine, keyPath, 0, kKeyRead, &key);
    if (opened != kErrorSuccess) {
        std::printf("  open status=%ld\n", opened);
    } else {
        std::printf("  1024 bytes:   %s\n", Query(registry, key, name, true, 1024).c_str());
        std::printf("  size only:    %s\n", Query(registry, key, name, false, 1024).c_str());
        std::printf("  2 bytes:      %s\n", Query(registry, key, name, true, 2).c_str());
        std::printf("  close status=%ld\n", registry.CloseKey(key));
    }
    for (const char* before : {"", "7"}) {
        std::string text = before;
        const bool read = dialogs::GetKeyValue(registry, kHKeyLocalMachine, keyPath, name, text);
        std::printf("  GetKeyValue from [%s]: %s [%s]\n", before, read ? "True" : "False",
                    Hex(reinterpret_cast<const unsigned char*>(text.data()), text.size()).c_str());
    }
}

void DumpKey(Registry& registry, const std::string& keyPath) {
    RegKey key = 0;
    const long opened = registry.OpenKey(kHKeyLocalMachine, keyPath, 0, kKeyRead, &key);
    std::printf("key %s\n  open status=%ld\n", keyPath.c_str(), opened);
    if (opened == kErrorSuccess)
        registry.CloseKey(key);
}

} // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY); // the same line ends on both sides
    std::unique_ptr<Registry> registry = MakeSystemRegistry();
#else
    std::unique_ptr<Registry> registry = std::make_unique<RegFileRegistry>(argc > 2 ? argv[2] : "");
#endif
    std::ifstream queries(argc > 1 ? argv[1] : "", std::ios::binary);
    if (!queries) {
        std::fprintf(stderr, "usage: regdump QUERIES [REGFILE]\n");
        return 2;
    }
    for (std::string line; std::getline(queries, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line.front() == '#')
            continue;
        const auto bar = line.find('|');
        if (bar == std::string::npos)
            DumpKey(*registry, line);
        else
            DumpValue(*registry, line.substr(0, bar), line.substr(bar + 1));
    }
    return 0;
}
