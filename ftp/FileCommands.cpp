// The commands that move files and listings between the two sides: put,
// append, mput, get, mget, the listings and mdelete, with their prompts,
// hash marks, figures and the record of each file's outcome.
#include "Interpreter.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

#include "LocalFiles.h"
#include "system/posix/FileMark.h"

namespace ftp {

namespace {

constexpr std::uint64_t kBytesPerHashMark = 2048;
// A staged song this client sent whole, to the place named in the mark: a
// second client (a double-click) sends only songs without it, so a song
// staged again or changed since goes again.
constexpr const char* kSentMark = "wavecrest.sent";

std::string Fixed2(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

} // namespace

// mdelete and mget: every remote name the patterns stand for, each
// confirmed when prompting is on.
bool Interpreter::EachRemoteMatch(const Words& words, const std::string& command,
                                  const std::function<bool(const std::string&)>& action) {
    if (words.size() < 2)
        return Usage(command + " remote-files");
    if (!session_.Connected())
        return false;
    bool allDone = true;
    for (std::size_t i = 1; i < words.size(); ++i) {
        std::vector<std::string> names;
        allDone = RemoteMatches(words[i], names) && allDone;
        for (const auto& name : names)
            if (Confirm(command, name))
                allDone = action(name) && allDone;
    }
    return allDone;
}

bool Interpreter::DeleteMany(const Words& words, const std::string&) {
    return EachRemoteMatch(words, "mdelete",
                           [this](const std::string& name) { return SendCommand("DELE " + name); });
}

bool Interpreter::PutOne(const Words& words, const std::string&) {
    if (words.size() < 2 || words.size() > 3)
        return Usage("put local-file [remote-file]");
    const std::string local = LocalPath(words[1]);
    return Transfer(local, words.size() == 3 ? words[2] : BaseName(local), false);
}

bool Interpreter::Append(const Words& words, const std::string&) {
    if (words.size() < 2 || words.size() > 3)
        return Usage("append local-file [remote-file]");
    const std::string local = LocalPath(words[1]);
    return Transfer(local, words.size() == 3 ? words[2] : BaseName(local), true);
}

// Answered by the next input line when prompting is on; "n..." declines.
bool Interpreter::Confirm(const std::string& command, const std::string& name) {
    if (!options_.prompt)
        return true;
    const auto answer = Ask(command + " " + Printable(name) + "? ");
    return answer && !(answer->size() > 0 && (answer->front() == 'n' || answer->front() == 'N'));
}

bool Interpreter::PutMany(const Words& words, const std::string&) {
    if (words.size() < 2)
        return Usage("mput local-files");
    // Files opened at the start count as there, though their names be gone.
    auto expand = [this](const std::string& pattern) {
        return ExpandLocalPattern(pattern, options_.glob,
                                  held_.NamesIn(FolderOf(LocalPath(pattern))));
    };
    if (!session_.Connected()) { // its files are noted as not sent, with no question for each
        for (std::size_t i = 1; i < words.size(); ++i)
            for (const auto& path : expand(words[i]).paths)
                transcript_.NoteSend(path, SongOutcome::NotSent, "Not connected.");
        return false;
    }
    bool allSent = true;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const LocalMatches matches = expand(words[i]);
        if (!matches.error.empty()) {
            allSent = Fail("ftp: " + words[i] + ": cannot read the folder: " + matches.error);
            continue;
        }
        NoteLeftOut(words[i], matches.paths);
        if (!matches.paths.empty() && !HoldSendingFolder(FolderOf(matches.paths.front())))
            return false; // cancelled while waiting
        for (const auto& path : matches.paths)
            if (Confirm("mput", path))
                allSent = Transfer(path, BaseName(path), false, true) && allSent;
        local_.ReleaseFolder(); // never held longer than its files are being sent
    }
    return allSent;
}

// The files beside those a pattern names that it leaves out (a song.wav
// staged among the .mp3 files): not sent, and said so.
void Interpreter::NoteLeftOut(const std::string& pattern, const std::vector<std::string>& matched) {
    if (!options_.glob || !HasWildcards(BaseName(pattern)))
        return;
    const std::string folder = pattern.substr(0, pattern.size() - BaseName(pattern).size());
    for (const auto& path : ExpandLocalPattern(LocalPath(folder) + "*").paths) {
        if (std::find(matched.begin(), matched.end(), path) != matched.end())
            continue;
        transcript_.Line("ftp: " + Printable(path) + " is not sent: " + Printable(pattern) +
                         " does not name it.");
        transcript_.NoteSend(path, SongOutcome::LeftOut);
    }
}

// Clients sending from one folder take turns; one that waited says how long.
// A folder whose lock cannot be taken (not writable, a link planted where
// the lock goes) is sent from unlocked.
bool Interpreter::HoldSendingFolder(const std::string& folder) {
    std::string error;
    bool waited = false;
    const auto seconds = local_.HoldFolder(
        folder,
        [this, &waited](const std::string& held) {
            waited = true;
            transcript_.Line("Waiting for another ftp client sending from " + held + " ...");
        },
        [this] { return Cancelled(); }, error);
    if (Cancelled())
        return false;
    if (!seconds)
        transcript_.Line("ftp: " + folder + " is not locked for this send: " + error + ".");
    else if (waited)
        transcript_.Line("Waited " + std::to_string(*seconds) + " s for " + folder + ".");
    return true;
}

Connection::ProgressListener Interpreter::HashMarks(bool& marked) {
    return [this, &marked, unmarked = std::uint64_t{0}](std::uint64_t bytes) mutable {
        if (!hash_)
            return;
        unmarked += bytes;
        std::string marks(unmarked / kBytesPerHashMark, '#');
        unmarked %= kBytesPerHashMark;
        if (!marks.empty()) {
            transcript_.Write(marks);
            marked = true;
        }
    };
}

// One file out, its outcome recorded for the notice. Sent `once`, a file an
// earlier client already sent unchanged to the same place is not sent again.
bool Interpreter::Transfer(const std::string& localPath, const std::string& remoteName, bool append,
                           bool once) {
    if (StopNoticed()) {
        transcript_.NoteSend(localPath, SongOutcome::NotSent, "Cancelled.");
        return false;
    }
    const int localFile = held_.OpenForSending(localPath);
    if (localFile < 0) {
        transcript_.NoteSend(localPath, SongOutcome::NotSent, "File not found");
        return Fail(Printable(localPath) + ": File not found");
    }
    const std::string destination = session_.Destination(remoteName);
    if (once && platform::posix::FitsMark(localFile, kSentMark, destination)) {
        ::close(localFile);
        transcript_.Line(Printable(localPath) + " was sent since it was staged; not sent again.");
        transcript_.NoteSend(localPath, SongOutcome::AlreadySent);
        return true;
    }
    if (!session_.Connected()) { // which it said
        ::close(localFile);
        transcript_.NoteSend(localPath, SongOutcome::NotSent, "Not connected.");
        return false;
    }
    bool marked = false;
    struct stat info {};
    const std::uint64_t size = ::fstat(localFile, &info) == 0 ? info.st_size : 0;
    if (watch_)
        watch_->SongStarted(remoteName, size);
    const SongResult result =
        sender_.Send({localFile, size, localPath, remoteName}, append, Progress(marked));
    if (result.outcome == SongOutcome::Sent && once)
        platform::posix::Mark(localFile, kSentMark, destination);
    ::close(localFile);
    transcript_.NoteSend(localPath, result.outcome, result.error);
    if (StopNoticed())
        NoteCancel();
    if (marked)
        transcript_.Line("");
    return Report(result.outcome == SongOutcome::Sent, result.bytes, result.seconds, result.error,
                  localPath, "sent");
}

// Hash marks and the window's progress.
Connection::ProgressListener Interpreter::Progress(bool& marked) {
    return [this, hashMarks = HashMarks(marked)](std::uint64_t bytes) {
        hashMarks(bytes);
        if (watch_)
            watch_->Moved(bytes);
    };
}

// The first failure of a cancelled send is the cancel itself.
bool Interpreter::NoteCancel() {
    if (!cancelNoted_)
        Fail("Sending cancelled by the user.");
    cancelNoted_ = true;
    transcript_.NoteCancelled();
    return false;
}

// After a cancel: the files the script was to send and did not try.
void Interpreter::NoteHeldFilesNotTried() {
    std::vector<std::string> tried;
    for (const auto& send : transcript_.Sends())
        tried.push_back(BaseName(send.localPath));
    for (const auto& name : held_.Names())
        if (std::find(tried.begin(), tried.end(), name) == tried.end())
            transcript_.NoteSend(name, SongOutcome::NotSent, "Cancelled.");
}

bool Interpreter::Receive(const std::string& remoteName, const std::string& localPath) {
    if (!session_.Connected())
        return false;
    bool marked = false;
    const TransferResult result =
        connection_.Get(localPath, remoteName, session_.Ascii(), HashMarks(marked));
    if (marked)
        transcript_.Line("");
    return Report(result.Done(), result.bytes, result.seconds, result.error, remoteName,
                  "received");
}

// A transfer's outcome, with the Windows client's figures. A connection the
// failure cost is set up again by the next command.
bool Interpreter::Report(bool done, std::uint64_t bytes, double seconds, const std::string& error,
                         const std::string& name, const char* verb) {
    if (!done)
        return Fail("ftp: " + Printable(name) + " was not " + verb + ": " + error);
    if (options_.verbose)
        transcript_.Line("ftp: " + std::to_string(bytes) + " bytes " + verb + " in " +
                         Fixed2(seconds) + "Seconds " +
                         Fixed2(static_cast<double>(bytes) / 1000.0 / std::max(seconds, 0.001)) +
                         "Kbytes/sec.");
    return true;
}

bool Interpreter::GetOne(const Words& words, const std::string&) {
    if (words.size() < 2 || words.size() > 3)
        return Usage("get remote-file [local-file]");
    return Receive(words[1], words.size() == 3 ? LocalPath(words[2]) : BaseName(words[1]));
}

bool Interpreter::GetMany(const Words& words, const std::string&) {
    return EachRemoteMatch(
        words, "mget", [this](const std::string& name) { return Receive(name, BaseName(name)); });
}

// The remote names a pattern stands for, matched here on the server's
// listing of its folder; a name without wildcards stands for itself. A
// listed name holding a control character (a CR inside it, say) is one no
// server should list: it is refused, not split or sent back.
bool Interpreter::RemoteMatches(const std::string& pattern, std::vector<std::string>& names) {
    const std::string namePattern = BaseName(pattern);
    if (!options_.glob || !HasWildcards(namePattern)) {
        names.push_back(pattern);
        return true;
    }
    const std::string folder = pattern.substr(0, pattern.size() - namePattern.size());
    std::string listing, error;
    if (!session_.Connected())
        return false;
    if (!connection_.List(ListKind::Names, folder, listing, error))
        return Fail("ftp: " + pattern + ": " + error);
    bool allTaken = true;
    std::size_t start = 0;
    while (start < listing.size()) {
        auto end = listing.find('\n', start);
        if (end == std::string::npos)
            end = listing.size();
        std::string name = BaseName(listing.substr(start, end - start));
        start = end + 1;
        if (!name.empty() && name.back() == '\r')
            name.pop_back();
        if (HoldsControlCharacter(name))
            allTaken = Fail("ftp: the server listed a name holding a control character, "
                            "not taken: " +
                            Printable(name));
        else if (!name.empty() && NameMatches(namePattern, name))
            names.push_back(folder + name);
    }
    return allTaken;
}

bool Interpreter::ShowListing(ListKind kind, const Words& remotePaths,
                              const std::string& localFile) {
    if (!session_.Connected())
        return false;
    std::string all;
    bool listed = true;
    for (const auto& path : remotePaths.empty() ? Words{""} : remotePaths) {
        std::string listing, error;
        if (connection_.List(kind, path, listing, error)) {
            all += listing;
        } else {
            listed = Fail("ftp: " + (path.empty() ? std::string(".") : path) + ": " + error);
        }
    }
    if (localFile.empty() || localFile == "-") {
        transcript_.Write(all);
        return listed;
    }
    std::string error;
    if (!local_.WriteFile(LocalPath(localFile), all, error))
        return Fail(localFile + ": " + error);
    return listed;
}

// ls/dir [remote-directory [local-file]]
bool Interpreter::ListOne(ListKind kind, const Words& words) {
    if (words.size() > 3)
        return Usage(words[0] + " [remote-directory] [local-file]");
    return ShowListing(kind, words.size() > 1 ? Words{words[1]} : Words{},
                       words.size() == 3 ? words[2] : "");
}

// mls/mdir remote-files local-file
bool Interpreter::ListMany(ListKind kind, const Words& words) {
    if (words.size() < 3)
        return Usage(words[0] + " remote-files local-file");
    return ShowListing(kind, Words(words.begin() + 1, words.end() - 1), words.back());
}

bool Interpreter::ListNames(const Words& words, const std::string&) {
    return ListOne(ListKind::Names, words);
}

bool Interpreter::ListLong(const Words& words, const std::string&) {
    return ListOne(ListKind::Long, words);
}

bool Interpreter::ListManyNames(const Words& words, const std::string&) {
    return ListMany(ListKind::Names, words);
}

bool Interpreter::ListManyLong(const Words& words, const std::string&) {
    return ListMany(ListKind::Long, words);
}

} // namespace ftp
