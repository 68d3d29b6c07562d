#pragma once
// The transcript window lives in a module of its own, loaded only when a
// window is shown: a client run from a script without a desktop starts
// without loading Qt at all.
#define WAVECREST_FTP_WINDOW_ENTRY "wavecrest_ftp_run_with_window"

namespace ftp {

// The module's file name, beside ftp.exe.
constexpr const char* kWindowModule = "ftp_window.so";

// Runs the client with `mode` (a WindowMode other than None) shown; its exit status.
using RunWithWindowFunction = int (*)(int argc, char** argv, int mode);

} // namespace ftp
