#include "core/TerminationSignals.h"

#include <csignal>
#include <fcntl.h>
#include <initializer_list>
#include <unistd.h>

namespace platform {

namespace {
// How long the polite path may take before the process is ended outright,
// e.g. when a blocking call holds the window's thread and never reads the pipe.
constexpr unsigned kGraceSeconds = 5;

int pipeEnds[2] = {-1, -1};
volatile sig_atomic_t requested = 0;

// Only async-signal-safe work here: one byte into the pipe, and the alarm
// that ends the process if the byte is not acted on in time.
void onTerminationSignal(int signal) {
    const char byte = 1;
    [[maybe_unused]] const auto written = write(pipeEnds[1], &byte, 1);
    if (requested == 0) {
        requested = signal;
        alarm(kGraceSeconds);
    }
}

// The exit status a shell reports for a process ended by that signal.
void onGraceOver(int) {
    _exit(128 + requested);
}

void install(int signal, void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
}
} // namespace

int WatchTerminationRequests() {
    if (pipeEnds[0] < 0 && pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        return -1;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        install(signal, onTerminationSignal);
    install(SIGALRM, onGraceOver);
    return pipeEnds[0];
}

} // namespace platform
