#include "core/DesktopSession.h"

#include <cstdlib>
#include <string_view>

namespace platform {

namespace {
bool isSet(const char* variable) {
    const char* value = std::getenv(variable);
    return value && *value;
}
} // namespace

bool HasDesktopSession() {
    // A window system chosen by name that needs no session (offscreen, vnc...)
    // is the user's business.
    if (const char* chosen = std::getenv("QT_QPA_PLATFORM"); chosen && *chosen) {
        const std::string_view name(chosen);
        if (name != "xcb" && !name.starts_with("wayland"))
            return true;
    }
    return isSet("DISPLAY") || isSet("WAYLAND_DISPLAY");
}

} // namespace platform
