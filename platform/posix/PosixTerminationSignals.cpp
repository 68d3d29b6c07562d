#include "platform/TerminationSignals.h"

#include <csignal>
#include <fcntl.h>
#include <initializer_list>
#include <unistd.h>

namespace platform {

namespace {
int pipeEnds[2] = {-1, -1};

// Only async-signal-safe work here: one byte into the pipe.
void onTerminationSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = write(pipeEnds[1], &byte, 1);
}
} // namespace

int WatchTerminationRequests() {
    if (pipeEnds[0] >= 0)
        return pipeEnds[0];
    if (pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        return -1;
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
    return pipeEnds[0];
}

} // namespace platform
