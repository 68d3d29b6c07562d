#include "core/TerminationSignals.h"

namespace platform {

// Windows asks a program's windows to close when the session ends; the
// window system delivers that like any other close.
int WatchTerminationRequests() {
    return -1;
}

} // namespace platform
