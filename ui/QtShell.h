#pragma once
#include "core/Shell.h"

#include <string>

namespace platform {

// Opens an address with the desktop's default handler. When no program
// opens web addresses, a message says so and gives the address to copy.
class QtShell final : public Shell {
public:
    void Open(const std::string& address) override;

    static std::string NoBrowserMessage(const std::string& address);
};

} // namespace platform
