#pragma once
// The words of the FTP control connection as the client reads and writes them.
#include <cctype>
#include <string>
#include <strings.h>

namespace ftp {

inline std::string PercentEncoded(const std::string& text) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

inline bool IsPassword(const std::string& command) {
    return command.size() >= 4 && strncasecmp(command.c_str(), "PASS", 4) == 0 &&
           (command.size() == 4 || command[4] == ' ');
}

inline bool IsFinalReply(const std::string& line) {
    return line.size() >= 3 && std::isdigit(static_cast<unsigned char>(line[0])) &&
           std::isdigit(static_cast<unsigned char>(line[1])) &&
           std::isdigit(static_cast<unsigned char>(line[2])) &&
           (line.size() == 3 || line[3] == ' ');
}

} // namespace ftp
