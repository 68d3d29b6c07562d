#pragma once
// The system's request to end the program (logout, shutdown, kill's default
// signal, Ctrl+C in a terminal), made visible to the event loop.
namespace platform {

// Starts watching for such requests. Returns a descriptor that becomes
// readable when one arrives, or -1 where the system has nothing to watch.
int WatchTerminationRequests();

} // namespace platform
