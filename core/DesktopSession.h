#pragma once
// Whether windows can be shown at all: a program started from a plain console
// or a service has nowhere to put them.
namespace platform {

// False where the system says there is no desktop to show windows on.
bool HasDesktopSession();

} // namespace platform
