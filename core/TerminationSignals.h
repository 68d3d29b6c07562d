#pragma once
// The system's request to end the program (logout, shutdown, kill's default
// signal, Ctrl+C in a terminal), made visible to the event loop.
namespace platform {

// Starts watching for such requests, or watches again after another part of
// the program set handlers of its own. Returns a descriptor that becomes
// readable when one arrives, or -1 where the system has nothing to watch.
// Where the program has not ended a few seconds after a request, the
// process is ended outright.
int WatchTerminationRequests();

} // namespace platform
