#include "SendOutcome.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include "LocalFiles.h"

namespace ftp {

namespace {

constexpr const char* kNotSent = " was not sent: ";
constexpr const char* kNotFound = ": File not found";

bool IsFailureReply(const std::string& line) {
    return line.size() >= 3 && (line[0] == '4' || line[0] == '5') &&
           std::isdigit(static_cast<unsigned char>(line[1])) &&
           std::isdigit(static_cast<unsigned char>(line[2]));
}

bool IsFailure(const std::string& line) {
    static const char* const kStarts[] = {
        "ftp: connect: ", "Login failed.",        "Not connected.",           "Invalid command.",
        "Usage: ",        "Error opening script", "No reply from the server."};
    return IsFailureReply(line) || line.find(kNotSent) != std::string::npos ||
           line.ends_with(kNotFound) ||
           std::any_of(std::begin(kStarts), std::end(kStarts),
                       [&line](const char* start) { return line.starts_with(start); });
}

} // namespace

SendOutcome ReadSendOutcome(const Transcript& transcript, bool succeeded) {
    SendOutcome outcome{succeeded, {}, {}, {}};
    for (const auto& send : transcript.Sends())
        (send.error.empty() ? outcome.sent : outcome.unsent).push_back(BaseName(send.localPath));
    std::istringstream lines(transcript.Text());
    for (std::string line; outcome.failure.empty() && std::getline(lines, line);)
        if (IsFailure(line))
            outcome.failure = line;
    return outcome;
}

} // namespace ftp
