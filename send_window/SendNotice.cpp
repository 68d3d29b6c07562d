#include "SendNotice.h"

#include <algorithm>

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

// One line for each group of songs that has any; a part left on the server
// is named song by song, since the listener may want to tell the show.
std::string SongLines(const SendOutcome& outcome) {
    std::string lines;
    for (const auto& song : outcome.partLeft)
        lines += "\n" + song + ": a part was left on the show's server";
    for (const auto& [label, names] :
         {std::pair{"Stopped: ", &outcome.stopped}, std::pair{"Not sent: ", &outcome.unsent},
          std::pair{"Sent: ", &outcome.sent}})
        if (!names->empty())
            lines += "\n" + std::string(label) + NameList(*names);
    return lines;
}

// Staged files the send passed over on purpose, said whatever the outcome.
std::string PassedOverLines(const SendOutcome& outcome) {
    std::string lines;
    if (!outcome.alreadySent.empty())
        lines += "\nAlready sent since staged, not sent again: " + NameList(outcome.alreadySent);
    if (!outcome.leftOut.empty())
        lines += "\nNot sent, only .mp3 files go to the show: " + NameList(outcome.leftOut);
    return lines;
}

DesktopNotice SuccessNotice(const SendOutcome& outcome) {
    const std::string passedOver = PassedOverLines(outcome);
    if (outcome.sent.empty())
        return {"No songs sent to the show",
                passedOver.empty() ? "There were no staged songs to send." : passedOver.substr(1),
                false};
    return {SongCount(outcome.sent.size()) + " sent to the show",
            NameList(outcome.sent) + passedOver, false};
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
    return {"Sending the songs to the show failed",
            FailureText(outcome.failure) + SongLines(outcome) + PassedOverLines(outcome) +
                "\nThe transcript window is open for the details.",
            true};
}

bool Contains(const std::vector<std::string>& names, const std::string& song) {
    return std::find(names.begin(), names.end(), song) != names.end();
}

// A song the session was still busy with counts as none of the others.
void Forget(std::vector<std::string>& names, const std::string& song) {
    names.erase(std::remove(names.begin(), names.end(), song), names.end());
}

std::string UnsettledLines(SendOutcome& outcome, const SendProgress& unsettled) {
    for (auto* names : {&outcome.stopped, &outcome.unsent})
        Forget(*names, unsettled.song);
    std::string lines = "\n" + unsettled.song +
                        ": the server stopped answering; a part of it may be left on the "
                        "show's server.";
    if (unsettled.songCount > unsettled.songNumber)
        lines +=
            "\nNot sent: " + SongCount(unsettled.songCount - unsettled.songNumber) + " after it";
    return lines;
}

} // namespace

DesktopNotice ComposeSendNotice(const SendOutcome& outcome) {
    if (outcome.cancelled)
        return ComposeCancelNotice(outcome);
    return outcome.succeeded ? SuccessNotice(outcome) : FailureNotice(outcome);
}

DesktopNotice ComposeCancelNotice(const SendOutcome& outcome, const SendProgress* unsettled) {
    SendOutcome known = outcome;
    std::string lines;                                       // each led by its line end
    if (unsettled && !Contains(known.sent, unsettled->song)) // one that went whole arrived
        lines += UnsettledLines(known, *unsettled);
    lines += SongLines(known) + PassedOverLines(known);
    if (known.sent.empty())
        lines += "\nNo song arrived.";
    return {"Sending the songs to the show cancelled", lines.substr(1), false};
}

} // namespace ftp
