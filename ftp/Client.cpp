#include "Client.h"

#include <fstream>
#include <iostream>
#include <string_view>

#include "CurlConnection.h"
#include "Interpreter.h"
#include "Options.h"

namespace ftp {

int RunClient(const std::vector<std::string>& arguments, Transcript& transcript) {
    std::string error;
    const auto options = ParseArguments(arguments, error);
    if (!options) {
        transcript.Line(error);
        transcript.Line("Usage: ftp [-v] [-d] [-i] [-n] [-g] [-s:filename] [host [port]]");
        return 2;
    }
    std::ifstream script;
    if (!options->scriptFile.empty()) {
        script.open(options->scriptFile, std::ios::binary);
        if (!script) {
            transcript.Line("Error opening script file " + options->scriptFile + ".");
            return 1;
        }
    }
    CurlConnection connection;
    Interpreter interpreter(*options, connection, transcript);
    const bool succeeded = interpreter.Run(script.is_open() ? script : std::cin);
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
