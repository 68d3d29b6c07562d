#include "Client.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string_view>

#include "CurlConnection.h"
#include "Interpreter.h"
#include "Options.h"

namespace ftp {

namespace {

SendWatch* interrupted = nullptr; // what Ctrl+C stops

// Before any connection: the songs a script sends are opened while they are
// surely there. A script that is no ordinary file (a pipe) is read once only.
void HoldScriptFiles(const Options& options, Interpreter& interpreter, Transcript& transcript,
                     SendWatch& watch) {
    std::error_code ignored;
    if (options.scriptFile.empty() ||
        !std::filesystem::is_regular_file(options.scriptFile, ignored))
        return;
    std::ifstream script(options.scriptFile, std::ios::binary);
    HeldFiles held = HoldFilesOfScript(script, options.glob);
    if (held.Overflowed())
        transcript.Line("ftp: the script sends more than " + std::to_string(HeldFiles::kMaxHeld) +
                        " files; the rest are opened when their turn comes.");
    watch.Plan(held.Count(), held.Bytes());
    interpreter.UseHeldFiles(std::move(held));
}

} // namespace

int RunClient(const std::vector<std::string>& arguments, Transcript& transcript, SendWatch* watch) {
    std::string error;
    const auto options = ParseArguments(arguments, error);
    if (!options) {
        transcript.Line(error);
        transcript.Line(
            "Usage: ftp [-v] [-d] [-i] [-n] [-g] [-s:filename] [-a] [-A] [-x:sendbuffer] "
            "[-r:recvbuffer] [-b:asyncbuffers] [-w:windowsize] [host [port]]");
        return 2;
    }
    std::ifstream script;
    if (!options->scriptFile.empty()) {
        std::error_code ignored; // a folder opens as a stream but reads as nothing
        if (!std::filesystem::is_directory(options->scriptFile, ignored))
            script.open(options->scriptFile, std::ios::binary);
        if (!script.is_open()) {
            transcript.Failure("Error opening script file " + options->scriptFile + ".");
            return 1;
        }
    }
    CurlConnection connection;
    DiskLocalSide local;
    Interpreter interpreter(*options, connection, local, transcript);
    SendWatch ownWatch;
    if (!watch) {
        watch = interrupted = &ownWatch;
        std::signal(SIGINT, [](int) { // a second Ctrl+C ends the client at once
            interrupted->Cancel();
            std::signal(SIGINT, SIG_DFL);
        });
    }
    interpreter.Watch(*watch);
    HoldScriptFiles(*options, interpreter, transcript, *watch);
    const bool succeeded = interpreter.Run(script.is_open() ? script : std::cin);
    if (watch == &ownWatch)
        std::signal(SIGINT, SIG_DFL);
    return succeeded ? 0 : 1;
}

WindowMode ChooseWindowMode(const char* showWindow, const char* display, const char* waylandDisplay,
                            const char* qtPlatform) {
    auto given = [](const char* text) { return text && *text; };
    if (!given(showWindow) || std::string_view(showWindow) == "0")
        return WindowMode::None;
    if (!given(display) && !given(waylandDisplay))
        return WindowMode::None;
    if (given(qtPlatform) &&
        (std::string_view(qtPlatform) == "offscreen" || std::string_view(qtPlatform) == "minimal"))
        return WindowMode::None;
    return std::string_view(showWindow) == "2" ? WindowMode::Minimized : WindowMode::Normal;
}

} // namespace ftp
