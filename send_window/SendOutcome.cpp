#include "SendOutcome.h"

#include "ftp/LocalFiles.h"

namespace ftp {

namespace {

std::vector<std::string>& ListFor(SendOutcome& outcome, SongOutcome song) {
    switch (song) {
    case SongOutcome::Sent:
        return outcome.sent;
    case SongOutcome::AlreadySent:
        return outcome.alreadySent;
    case SongOutcome::Stopped:
        return outcome.stopped;
    case SongOutcome::PartLeft:
        return outcome.partLeft;
    case SongOutcome::LeftOut:
        return outcome.leftOut;
    case SongOutcome::NotSent:
        break;
    }
    return outcome.unsent;
}

} // namespace

SendOutcome ReadSendOutcome(const Transcript& transcript, bool succeeded) {
    SendOutcome outcome;
    outcome.succeeded = succeeded;
    outcome.cancelled = transcript.Cancelled();
    outcome.failure = transcript.FirstFailure();
    for (const auto& send : transcript.Sends())
        ListFor(outcome, send.outcome).push_back(BaseName(send.localPath));
    return outcome;
}

} // namespace ftp
