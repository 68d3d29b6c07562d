// The commands that move files and listings between the two sides: put,
// append, mput, get, mget, the listings and mdelete, with their prompts,
// hash marks, figures and the reconnection after a dropped transfer.
#include "Interpreter.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

#include "LocalFiles.h"

namespace ftp {

namespace {

constexpr std::uint64_t kBytesPerHashMark = 2048;

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
    if (!Connected())
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
    if (!Connected()) { // its files are noted as not sent, with no question for each
        for (std::size_t i = 1; i < words.size(); ++i)
            for (const auto& path : expand(words[i]).paths)
                transcript_.NoteSend(path, "Not connected.");
        return false;
    }
    bool allSent = true;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const LocalMatches matches = expand(words[i]);
        if (!matches.error.empty()) {
            allSent = Fail("ftp: " + words[i] + ": cannot read the folder: " + matches.error);
            continue;
        }
        if (!matches.paths.empty())
            HoldSendingFolder(FolderOf(matches.paths.front()));
        for (const auto& path : matches.paths)
            if (Confirm("mput", path))
                allSent = Transfer(path, BaseName(path), false) && allSent;
        local_.ReleaseFolder(); // never held longer than its files are being sent
    }
    return allSent;
}

// Clients sending from one folder take turns; one that waited says how long.
// A folder whose lock cannot be taken (not writable, a link planted where
// the lock goes) is sent from unlocked.
void Interpreter::HoldSendingFolder(const std::string& folder) {
    std::string error;
    bool waited = false;
    const auto seconds = local_.HoldFolder(
        folder,
        [this, &waited](const std::string& held) {
            waited = true;
            transcript_.Line("Waiting for another ftp client sending from " + held + " ...");
        },
        error);
    if (!seconds)
        transcript_.Line("ftp: " + folder + " is not locked for this send: " + error + ".");
    else if (waited)
        transcript_.Line("Waited " + std::to_string(*seconds) + " s for " + folder + ".");
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

// One file out. A failure names the file; when it cost the connection, the
// session is set up again for the files that follow.
bool Interpreter::Transfer(const std::string& localPath, const std::string& remoteName,
                           bool append) {
    if (Cancelled()) {
        transcript_.NoteSend(localPath, "Cancelled.");
        return false;
    }
    const int localFile = held_.OpenForSending(localPath);
    if (localFile < 0) {
        transcript_.NoteSend(localPath, "File not found");
        return Fail(Printable(localPath) + ": File not found");
    }
    if (!Connected()) { // which it said
        ::close(localFile);
        transcript_.NoteSend(localPath, "Not connected.");
        return false;
    }
    bool marked = false;
    struct stat info {};
    const std::uint64_t size = ::fstat(localFile, &info) == 0 ? info.st_size : 0;
    if (watch_)
        watch_->SongStarted(remoteName, size);
    TransferResult result = SendFrom(::dup(localFile), 0, localPath, remoteName, append, marked);
    // Cut off by a dropped connection: what the server has need not go again.
    if (!result.done && result.error != kStoppedByUser && !append && !ascii_ &&
        !connection_.IsOpen() && keepSession_)
        result = Resume(localFile, size, localPath, remoteName, marked);
    ::close(localFile);
    transcript_.NoteSend(localPath, result.done ? std::string() : result.error);
    if (result.error == kStoppedByUser)
        NoteCancel();
    const bool sent = Conclude(result, marked, localPath, "sent");
    if (result.error == kStoppedByUser && !append) // an appended-to file was there before
        RemoveStoppedFile(remoteName);
    return sent;
}

// `localFile` is closed by the sending.
TransferResult Interpreter::SendFrom(int localFile, std::uint64_t offset,
                                     const std::string& localPath, const std::string& remoteName,
                                     bool append, bool& marked) {
    ::lseek(localFile, static_cast<off_t>(offset), SEEK_SET); // a held file was read before
    return connection_.Put(localFile, localPath, remoteName, ascii_, append,
                           [this, hashMarks = HashMarks(marked)](std::uint64_t bytes) {
                               hashMarks(bytes);
                               if (watch_)
                                   watch_->Moved(bytes);
                           });
}

// The rest of a song after the session is set up again, appended where the
// server can resume (REST STREAM among its features, SIZE answered), the
// whole song's size checked at the end; else the song again from its start.
TransferResult Interpreter::Resume(int localFile, std::uint64_t size, const std::string& localPath,
                                   const std::string& remoteName, bool& marked) {
    std::string error;
    if (!Connected())
        return {false, 0, 0, "Not connected."};
    restStream_ = false;
    const bool resumable = connection_.Send("FEAT", error) == 211 && restStream_;
    const auto arrived = resumable ? RemoteSize(remoteName) : std::nullopt;
    if (!arrived || *arrived > size) {
        transcript_.Line("Sending " + Printable(remoteName) + " again from its start.");
        return SendFrom(::dup(localFile), 0, localPath, remoteName, false, marked);
    }
    transcript_.Line("Resuming " + Printable(remoteName) + " after its first " +
                     std::to_string(*arrived) + " bytes.");
    TransferResult result =
        SendFrom(::dup(localFile), *arrived, localPath, remoteName, true, marked);
    const auto whole = result.done ? RemoteSize(remoteName) : std::nullopt;
    if (result.done && whole != size) {
        result.done = false;
        result.error =
            "after resuming, the server's size of it is not its " + std::to_string(size) + " bytes";
    }
    return result;
}

std::optional<std::uint64_t> Interpreter::RemoteSize(const std::string& remoteName) {
    std::string error;
    if (connection_.Send("SIZE " + remoteName, error) != 213 || lastReply_.size() < 5)
        return std::nullopt;
    return std::strtoull(lastReply_.c_str() + 4, nullptr, 10);
}

// What arrived of a file the user stopped goes, where the server lets it.
void Interpreter::RemoveStoppedFile(const std::string& remoteName) {
    transcript_.Line("Removing the part of " + Printable(remoteName) + " that arrived.");
    SendCommand("DELE " + remoteName);
}

// The first failure of a cancelled send is the cancel itself.
bool Interpreter::NoteCancel() {
    if (!cancelNoted_)
        Fail("Sending cancelled by the user.");
    cancelNoted_ = true;
    return false;
}

// After a cancel: the files the script was to send and did not try.
void Interpreter::NoteHeldFilesNotTried() {
    std::vector<std::string> tried;
    for (const auto& send : transcript_.Sends())
        tried.push_back(BaseName(send.localPath));
    for (const auto& name : held_.Names())
        if (std::find(tried.begin(), tried.end(), name) == tried.end())
            transcript_.NoteSend(name, "Cancelled.");
}

bool Interpreter::Receive(const std::string& remoteName, const std::string& localPath) {
    if (!Connected())
        return false;
    bool marked = false;
    const TransferResult result = connection_.Get(localPath, remoteName, ascii_, HashMarks(marked));
    return Conclude(result, marked, remoteName, "received");
}

// After a transfer: the line of hash marks ended and the outcome reported.
// A connection the failure cost is set up again by the next command.
bool Interpreter::Conclude(const TransferResult& result, bool marked, const std::string& name,
                           const char* verb) {
    if (marked)
        transcript_.Line("");
    return Report(result, name, verb);
}

bool Interpreter::Report(const TransferResult& result, const std::string& name, const char* verb) {
    if (!result.done)
        return Fail("ftp: " + Printable(name) + " was not " + verb + ": " + result.error);
    if (options_.verbose) {
        const double seconds = std::max(result.seconds, 0.001);
        transcript_.Line("ftp: " + std::to_string(result.bytes) + " bytes " + verb + " in " +
                         Fixed2(result.seconds) + "Seconds " +
                         Fixed2(static_cast<double>(result.bytes) / 1000.0 / seconds) +
                         "Kbytes/sec.");
    }
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
    if (!Connected())
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
    if (!Connected())
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
