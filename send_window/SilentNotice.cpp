// Where the desktop has no notification service the client knows of, the
// transcript window alone tells the outcome.
#include "DesktopNotice.h"

namespace ftp {

bool ShowDesktopNotice(const DesktopNotice&) {
    return false;
}

} // namespace ftp
