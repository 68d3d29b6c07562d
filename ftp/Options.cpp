#include "Options.h"

namespace ftp {

namespace {

// -x:, -r:, -b:, -w: tune socket buffers and queues on Windows; here the
// system's own sizes serve, so the values are checked and left alone.
bool IsTuningSwitch(const std::string& name) {
    if (name.size() < 3 || name[1] != ':' ||
        std::string("xrbwXRBW").find(name[0]) == std::string::npos)
        return false;
    return name.find_first_not_of("0123456789", 2) == std::string::npos;
}

bool ApplySwitch(const std::string& argument, Options& options) {
    const std::string name = argument.substr(1);
    if (name.size() > 2 && (name[0] == 's' || name[0] == 'S') && name[1] == ':') {
        options.scriptFile = name.substr(2);
        return true;
    }
    if (IsTuningSwitch(name))
        return true;
    if (name == "n")
        options.autoLogin = false;
    else if (name == "i")
        options.prompt = false;
    else if (name == "v")
        options.verbose = false;
    else if (name == "d")
        options.debug = true;
    else if (name == "g")
        options.glob = false;
    else if (name == "A")
        options.anonymous = true;
    else if (name == "a")
        return true; // any local interface for data: the system chooses anyway
    else
        return false;
    return true;
}

} // namespace

std::optional<Options> ParseArguments(const std::vector<std::string>& arguments,
                                      std::string& error) {
    Options options;
    std::vector<std::string> rest;
    for (const auto& argument : arguments) {
        const bool isSwitch = argument.size() > 1 && (argument[0] == '-' || argument[0] == '/');
        if (isSwitch && rest.empty()) {
            if (!ApplySwitch(argument, options)) {
                error = "ftp: unknown option " + argument;
                return std::nullopt;
            }
        } else {
            rest.push_back(argument);
        }
    }
    if (rest.size() > 2) {
        error = "ftp: too many arguments";
        return std::nullopt;
    }
    if (!rest.empty())
        options.host = rest[0];
    if (rest.size() == 2)
        options.port = rest[1];
    return options;
}

} // namespace ftp
