#pragma once
// A short message on the desktop, where the user looks after starting a send
// and turning to something else. Shown by the desktop's notification service;
// where there is none (no session bus, a bare X server) nothing happens.
#include <string>

namespace ftp {

struct DesktopNotice {
    std::string title;
    std::string body; // plain text, lines separated by '\n'
    bool failure = false;
};

// True when the notification service took the notice. Call with a running
// QApplication; blocks a few seconds at most.
bool ShowDesktopNotice(const DesktopNotice& notice);

} // namespace ftp
