#pragma once
// The client's command-line switches, as the Windows command-line client takes them.
#include <optional>
#include <string>
#include <vector>

namespace ftp {

struct Options {
    std::string scriptFile; // -s:FILE; empty reads standard input
    bool autoLogin = true;  // -n turns off the login after open
    bool prompt = true;     // -i turns off mput's questions
    bool verbose = true;    // -v hides the server's replies
    bool debug = false;     // -d shows the commands sent
    bool glob = true;       // -g turns local and remote wildcards off
    bool anonymous = false; // -A logs in as anonymous
    std::string host;       // last argument: opened first
    std::string port;       // optional argument after the host
};

// Parses the arguments after the program name; nullopt and a reason for an
// unknown switch.
std::optional<Options> ParseArguments(const std::vector<std::string>& arguments,
                                      std::string& error);

} // namespace ftp
