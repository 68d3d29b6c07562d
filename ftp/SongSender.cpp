#include "SongSender.h"

#include <random>
#include <unistd.h>

namespace ftp {

namespace {

SongResult ResultOf(const TransferResult& transfer, SongOutcome outcome) {
    return {outcome, transfer.bytes, transfer.seconds, transfer.Done() ? "" : transfer.error};
}

} // namespace

std::string HiddenNameFor(const std::string& remoteName) {
    const auto slash = remoteName.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : remoteName.substr(0, slash + 1);
    const std::string name = remoteName.substr(folder.size());
    static std::mt19937 random(std::random_device{}() ^ static_cast<unsigned>(::getpid()));
    // Within the 255 bytes a name may have, and no other client's.
    return folder + "." + name.substr(0, 200) + "." + std::to_string(random() % 1000000000) +
           ".sending";
}

SongSender::SongSender(Session& session, Transcript& transcript, std::function<bool()> stopNoticed)
    : session_(session), transcript_(transcript), stopNoticed_(std::move(stopNoticed)) {}

SongResult SongSender::Send(const Song& song, bool append,
                            const Connection::ProgressListener& progress) {
    if (append || session_.Ascii() || renameRefused_)
        return SendPlain(song, append, progress);
    return SendHidden(song, progress);
}

SongResult SongSender::SendHidden(const Song& song, const Connection::ProgressListener& progress) {
    const std::string hidden = HiddenNameFor(song.remoteName);
    TransferResult result = Put(song, hidden, 0, false, progress, song.remoteName);
    if (Lost(result) && !stopNoticed_())
        result = Resume(song, hidden, progress);
    if (result.renamed)
        return ResultOf(result, SongOutcome::Sent);
    if (!result.Done() || stopNoticed_())
        return Cut(result, hidden, song.remoteName);
    if (PlaceUnder(hidden, song.remoteName))
        return ResultOf(result, SongOutcome::Sent);
    if (stopNoticed_())
        return Cut(result, hidden, song.remoteName);
    transcript_.Line("The server does not rename files: " + Printable(song.remoteName) +
                     " and the songs after it go under their own names.");
    renameRefused_ = true;
    RemovePart(hidden, song.remoteName);
    return SendPlain(song, false, progress);
}

// The song under the name given; after a dropped connection once more from
// its start, as nothing tells our bytes there from another's.
SongResult SongSender::SendPlain(const Song& song, bool append,
                                 const Connection::ProgressListener& progress) {
    TransferResult result = Put(song, song.remoteName, 0, append, progress);
    if (Lost(result) && !append && !session_.Ascii() && !stopNoticed_() && session_.Connected()) {
        transcript_.Line("Sending " + Printable(song.remoteName) + " again from its start.");
        result = Put(song, song.remoteName, 0, false, progress);
    }
    if (result.Done()) // whole under its name, though a cancel came after
        return ResultOf(result, SongOutcome::Sent);
    if (append) // what the file held before stays, with a part of ours
        return ResultOf(result, stopNoticed_() ? SongOutcome::PartLeft : SongOutcome::NotSent);
    return Cut(result, song.remoteName, song.remoteName);
}

TransferResult SongSender::Put(const Song& song, const std::string& remoteName,
                               std::uint64_t offset, bool append,
                               const Connection::ProgressListener& progress,
                               const std::string& renameTo) {
    const int file = ::dup(song.file); // closed by the sending
    ::lseek(file, static_cast<off_t>(offset), SEEK_SET);
    return session_.Link().Put(file, song.localPath, remoteName, session_.Ascii(), append, progress,
                               renameTo);
}

// Cut off by a dropped connection, with the session kept to set up again.
bool SongSender::Lost(const TransferResult& result) const {
    return result.outcome == TransferOutcome::Failed && !session_.Link().IsOpen() &&
           session_.Kept();
}

// The rest of a song after the session is set up again, appended to our own
// hidden file where the server gives its size, the whole size checked at
// the end before it is renamed; else the song again from its start.
TransferResult SongSender::Resume(const Song& song, const std::string& hidden,
                                  const Connection::ProgressListener& progress) {
    if (!session_.Connected())
        return {TransferOutcome::Failed, 0, 0, "Not connected."};
    const auto arrived = session_.RemoteSize(hidden);
    if (!arrived || *arrived > song.size) {
        transcript_.Line("Sending " + Printable(song.remoteName) + " again from its start.");
        return Put(song, hidden, 0, false, progress, song.remoteName);
    }
    transcript_.Line("Resuming " + Printable(song.remoteName) + " after its first " +
                     std::to_string(*arrived) + " bytes.");
    TransferResult result = Put(song, hidden, *arrived, true, progress);
    if (result.Done() && session_.RemoteSize(hidden) != song.size) {
        result.outcome = TransferOutcome::Failed;
        result.error = "after resuming, the server's size of it is not its " +
                       std::to_string(song.size) + " bytes";
    }
    return result;
}

bool SongSender::PlaceUnder(const std::string& hidden, const std::string& remoteName) {
    return session_.Ask("RNFR " + hidden) == 350 && session_.Ask("RNTO " + remoteName) / 100 == 2;
}

// A song stopped or cut off: what arrived of it goes, where the server lets it.
SongResult SongSender::Cut(const TransferResult& result, const std::string& partName,
                           const std::string& songName) {
    const bool stopped = stopNoticed_();
    SongResult cut = ResultOf(result, stopped ? SongOutcome::Stopped : SongOutcome::NotSent);
    if (stopped)
        cut.error = "Stopped by the user.";
    else if (cut.error.empty())
        cut.error = "the transfer was not completed";
    if (!RemovePart(partName, songName))
        cut.outcome = SongOutcome::PartLeft;
    return cut;
}

// True when nothing of it stays: removed, or never there.
bool SongSender::RemovePart(const std::string& partName, const std::string& songName) {
    transcript_.Line("Removing what arrived of " + Printable(songName) + ".");
    const int reply = session_.Ask("DELE " + partName);
    if (reply / 100 == 2 || (reply == 550 && !session_.RemoteSize(partName)))
        return true;
    transcript_.Failure("ftp: what arrived of " + Printable(songName) + " stays on the server as " +
                        Printable(partName) + ".");
    return false;
}

} // namespace ftp
