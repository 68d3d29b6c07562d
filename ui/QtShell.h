#pragma once
#include "core/Shell.h"

namespace platform {

// Opens an address with the desktop's default handler (xdg-open on Linux).
class QtShell final : public Shell {
public:
    void Open(const std::string& address) override;
};

} // namespace platform
