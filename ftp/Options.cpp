#include "Options.h"

namespace ftp {

namespace {

bool ApplySwitch(const std::string& argument, Options& options) {
    const std::string name = argument.substr(1);
    if (name.size() > 2 && (name[0] == 's' || name[0] == 'S') && name[1] == ':') {
        options.scriptFile = name.substr(2);
        return true;
    }
    if (name == "n")
        options.autoLogin = false;
    else if (name == "i")
        options.prompt = false;
    else if (name == "v")
        options.verbose = false;
    else if (name == "d")
        options.debug = true;
    else if (name == "g" || name == "a" || name == "A")
        return true; // globbing and interface choice: accepted, nothing to do
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
