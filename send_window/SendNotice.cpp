#include "SendNotice.h"

namespace ftp {

namespace {

// A notice is read at a glance: past this many names the rest are counted.
constexpr std::size_t kNamesShown = 3;

std::string NameList(const std::vector<std::string>& names) {
    std::string list;
    for (std::size_t i = 0; i < names.size() && i < kNamesShown; ++i)
        list += (i == 0 ? "" : ", ") + names[i];
    if (names.size() > kNamesShown)
        list += " and " + std::to_string(names.size() - kNamesShown) + " more";
    return list;
}

std::string SongCount(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " song" : " songs");
}

DesktopNotice SuccessNotice(const SendOutcome& outcome) {
    if (outcome.sent.empty())
        return {"No songs sent to the show", "There were no staged songs to send.", false};
    return {SongCount(outcome.sent.size()) + " sent to the show", NameList(outcome.sent), false};
}

// The client's words for a failure, told to someone who did not type the commands.
std::string FailureText(const std::string& failure) {
    const std::string connect = "ftp: connect: ";
    if (failure.starts_with(connect))
        return "No connection to the show's server (" + failure.substr(connect.size()) + ").";
    if (failure.starts_with("ftp: "))
        return failure.substr(5);
    return failure.empty() ? "A command of the transfer script failed." : failure;
}

DesktopNotice FailureNotice(const SendOutcome& outcome) {
    std::string body = FailureText(outcome.failure);
    if (!outcome.stopped.empty())
        body += "\nStopped: " + NameList(outcome.stopped);
    if (!outcome.unsent.empty())
        body += "\nNot sent: " + NameList(outcome.unsent);
    if (!outcome.sent.empty())
        body += "\nSent: " + NameList(outcome.sent);
    body += "\nThe transcript window is open for the details.";
    return {"Sending the songs to the show failed", body, true};
}

} // namespace

DesktopNotice ComposeSendNotice(const SendOutcome& outcome) {
    return outcome.succeeded ? SuccessNotice(outcome) : FailureNotice(outcome);
}

} // namespace ftp
