#pragma once
// The client from start to end, without any window: read the commands of
// the script (or standard input) and carry them out on a libcurl connection.
#include <string>
#include <vector>

#include "SendWatch.h"
#include "Transcript.h"

namespace ftp {

// Exit status: 0 when every command succeeded, 1 when any failed, 2 for
// arguments the client does not understand.
// `watch`, when given, is told the progress and may stop the send; else
// Ctrl+C stops it, the file cut off removed from the server.
int RunClient(const std::vector<std::string>& arguments, Transcript& transcript,
              SendWatch* watch = nullptr);

// How the transcript is shown, from the window state the starter passed and
// whether a desktop is there.
enum class WindowMode { None, Normal, Minimized };
WindowMode ChooseWindowMode(const char* showWindow, const char* display, const char* waylandDisplay,
                            const char* qtPlatform);

} // namespace ftp
