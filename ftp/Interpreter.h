#pragma once
// Carries out ftp commands as the Windows command-line client does: one a
// line, a failed or unknown command reported and the next one taken. Answers
// to questions (login, missing arguments, mput prompts) are the next input
// lines, as they would be typed at the client's prompts.
#include <cstdint>
#include <functional>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "HeldFiles.h"
#include "LocalSide.h"
#include "Options.h"
#include "ScriptReader.h"
#include "SendWatch.h"
#include "Session.h"
#include "SongSender.h"
#include "Transcript.h"
#include "curl/Connection.h"

namespace ftp {

class Interpreter {
public:
    Interpreter(const Options& options, Connection& connection, LocalSide& local,
                Transcript& transcript);

    // Runs every command of `input` until its end or bye; true when all succeeded.
    bool Run(std::istream& input);
    // Files opened before the run, sent even when their names are gone.
    void UseHeldFiles(HeldFiles files) { held_ = std::move(files); }
    // Told how far each file is, and asked whether the user stopped the send.
    void Watch(SendWatch& watch);
    // The command a typed name stands for; empty when none or ambiguous.
    static std::string CommandName(const std::string& typed);

    using Words = std::vector<std::string>;
    using Handler = bool (Interpreter::*)(const Words&, const std::string& rest);
    struct Command {
        const char* name;
        Handler handler;
        std::vector<const char*> prompts; // asked for missing arguments, in order
        std::size_t required = 0;         // arguments that must be there
    };

private:
    static const std::vector<Command>& CommandTable();
    bool Execute(const std::string& line);
    static const Command* Resolve(const std::string& name, int& candidates);
    const Command* Find(const std::string& name);
    bool CompleteArguments(const Command& command, Words& words);
    std::optional<std::string> NextLine();
    std::optional<std::string> Ask(const std::string& prompt);
    void Echo(const std::string& line);
    // Shows a failure and records it for the notice, where it happens.
    bool Fail(const std::string& text);

    bool Open(const Words& words, const std::string& rest);
    bool User(const Words& words, const std::string& rest);
    bool Binary(const Words& words, const std::string& rest);
    bool Ascii(const Words& words, const std::string& rest);
    bool Type(const Words& words, const std::string& rest);
    bool ChangeFolder(const Words& words, const std::string& rest);
    bool LocalFolder(const Words& words, const std::string& rest);
    bool PrintFolder(const Words& words, const std::string& rest);
    bool MakeFolder(const Words& words, const std::string& rest);
    bool RemoveFolder(const Words& words, const std::string& rest);
    bool Delete(const Words& words, const std::string& rest);
    bool DeleteMany(const Words& words, const std::string& rest);
    bool Rename(const Words& words, const std::string& rest);
    bool PutOne(const Words& words, const std::string& rest);
    bool Append(const Words& words, const std::string& rest);
    bool PutMany(const Words& words, const std::string& rest);
    bool GetOne(const Words& words, const std::string& rest);
    bool GetMany(const Words& words, const std::string& rest);
    bool ListNames(const Words& words, const std::string& rest);
    bool ListLong(const Words& words, const std::string& rest);
    bool ListManyNames(const Words& words, const std::string& rest);
    bool ListManyLong(const Words& words, const std::string& rest);
    bool TogglePrompt(const Words& words, const std::string& rest);
    bool ToggleHash(const Words& words, const std::string& rest);
    bool ToggleVerbose(const Words& words, const std::string& rest);
    bool ToggleDebug(const Words& words, const std::string& rest);
    bool ToggleGlob(const Words& words, const std::string& rest);
    bool ToggleBell(const Words& words, const std::string& rest);
    bool ToggleTrace(const Words& words, const std::string& rest);
    bool Status(const Words& words, const std::string& rest);
    bool RemoteHelp(const Words& words, const std::string& rest);
    bool Literal(const Words& words, const std::string& rest);
    bool Shell(const Words& words, const std::string& rest);
    bool RequireTls(const Words& words, const std::string& rest);
    bool Disconnect(const Words& words, const std::string& rest);
    bool Quit(const Words& words, const std::string& rest);
    bool Help(const Words& words, const std::string& rest);

    bool Login(const std::string& user, const std::string& password);
    bool SendCommand(const std::string& command) { return session_.Command(command); }
    bool Confirm(const std::string& command, const std::string& name);
    bool Transfer(const std::string& localPath, const std::string& remoteName, bool append,
                  bool once = false);
    bool Receive(const std::string& remoteName, const std::string& localPath);
    bool Cancelled() const { return watch_ && watch_->Cancelled(); }
    bool StopNoticed();
    void NoteHeldFilesNotTried();
    void NoteLeftOut(const std::string& pattern, const std::vector<std::string>& matched);
    bool NoteCancel();
    bool Report(bool done, std::uint64_t bytes, double seconds, const std::string& error,
                const std::string& name, const char* verb);
    bool RemoteMatches(const std::string& pattern, std::vector<std::string>& names);
    bool EachRemoteMatch(const Words& words, const std::string& command,
                         const std::function<bool(const std::string&)>& action);
    bool ListOne(ListKind kind, const Words& words);
    bool ListMany(ListKind kind, const Words& words);
    bool ShowListing(ListKind kind, const Words& remotePaths, const std::string& localFile);
    bool Toggle(bool& flag, const std::string& what);
    bool HoldSendingFolder(const std::string& folder);
    bool Usage(const std::string& text);
    Connection::ProgressListener HashMarks(bool& marked);
    Connection::ProgressListener Progress(bool& marked);

    Options options_;
    HeldFiles held_;
    SendWatch* watch_ = nullptr;
    bool cancelNoted_ = false;
    bool stopNoticed_ = false;
    Connection& connection_;
    LocalSide& local_;
    Transcript& transcript_;
    Session session_;
    SongSender sender_;
    ScriptReader* input_ = nullptr;
    bool lineRefused_ = false;
    std::string pendingUser_; // a `quote USER` waiting for its PASS
    bool hash_ = false;
    bool bell_ = false;
    bool trace_ = false;
    bool quitting_ = false;
};

// Splits a command line into words; double quotes group a name with blanks.
std::vector<std::string> SplitWords(const std::string& line);

} // namespace ftp
