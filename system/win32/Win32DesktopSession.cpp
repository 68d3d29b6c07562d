#include "core/DesktopSession.h"

namespace platform {

// Every interactive Windows session has a desktop.
bool HasDesktopSession() {
    return true;
}

} // namespace platform
