#pragma once
// Sends one song so that the server never shows a part of it under its
// name, nor our bytes joined to another file's: it goes under a hidden name
// of this client's own, is resumed after a dropped connection only there,
// and is renamed into place once the server has stored it whole. A server
// that refuses the rename gets the songs under their own names (plain
// STOR) from then on, as the transcript says. Appending and text transfers
// go under the names given, as they always did.
#include <cstdint>
#include <functional>
#include <string>

#include "Session.h"
#include "Transcript.h"

namespace ftp {

struct Song {
    int file; // the sender's own descriptor; read from its start
    std::uint64_t size;
    std::string localPath, remoteName;
};

struct SongResult {
    SongOutcome outcome = SongOutcome::NotSent;
    std::uint64_t bytes = 0; // of the last transfer
    double seconds = 0;
    std::string error; // why not, when not sent
};

class SongSender {
public:
    // `stopNoticed` says whether the user stopped the send (and bounds what
    // follows the first time it says so).
    SongSender(Session& session, Transcript& transcript, std::function<bool()> stopNoticed);

    SongResult Send(const Song& song, bool append, const Connection::ProgressListener& progress);

private:
    SongResult SendHidden(const Song& song, const Connection::ProgressListener& progress);
    SongResult SendPlain(const Song& song, bool append,
                         const Connection::ProgressListener& progress);
    TransferResult Put(const Song& song, const std::string& remoteName, std::uint64_t offset,
                       bool append, const Connection::ProgressListener& progress,
                       const std::string& renameTo = {});
    TransferResult Resume(const Song& song, const std::string& hidden,
                          const Connection::ProgressListener& progress);
    bool Lost(const TransferResult& result) const;
    bool PlaceUnder(const std::string& hidden, const std::string& remoteName);
    SongResult Cut(const TransferResult& result, const std::string& partName,
                   const std::string& songName);
    bool RemovePart(const std::string& partName, const std::string& songName);

    Session& session_;
    Transcript& transcript_;
    std::function<bool()> stopNoticed_;
    bool renameRefused_ = false;
};

// A hidden name beside `remoteName`, this client's own.
std::string HiddenNameFor(const std::string& remoteName);

} // namespace ftp
