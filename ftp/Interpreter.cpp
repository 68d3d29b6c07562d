#include "Interpreter.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

#include "LocalFiles.h"

namespace ftp {

namespace {

std::string TextAfterFirstWord(const std::string& line) {
    const auto start = line.find_first_not_of(" \t");
    const auto blank = line.find_first_of(" \t", start);
    if (blank == std::string::npos)
        return {};
    const auto rest = line.find_first_not_of(" \t", blank);
    return rest == std::string::npos ? std::string() : line.substr(rest);
}

std::string Joined(const std::vector<std::string>& words, std::size_t from) {
    std::string text;
    for (std::size_t i = from; i < words.size(); ++i)
        text += (i > from ? " " : "") + words[i];
    return text;
}

std::optional<int> ParsePort(const std::string& text) {
    char* end = nullptr;
    const long port = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || port < 1 || port > 65535)
        return std::nullopt;
    return static_cast<int>(port);
}

// After a cancel the send ends within two seconds, whatever the server does.
constexpr auto kTimeAfterCancel = std::chrono::milliseconds(1500);

} // namespace

std::vector<std::string> SplitWords(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false, inWord = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(word);
    return words;
}

// Every command of the Windows client, with the prompts that ask for its
// missing arguments.
const std::vector<Interpreter::Command>& Interpreter::CommandTable() {
    using I = Interpreter;
    static const std::vector<Command> commands = {
        {"!", &I::Shell, {}, 0},
        {"?", &I::Help, {}, 0},
        {"append", &I::Append, {"Local file ", "Remote file "}, 1},
        {"ascii", &I::Ascii, {}, 0},
        {"bell", &I::ToggleBell, {}, 0},
        {"binary", &I::Binary, {}, 0},
        {"bye", &I::Quit, {}, 0},
        {"cd", &I::ChangeFolder, {"Remote directory "}, 1},
        {"close", &I::Disconnect, {}, 0},
        {"debug", &I::ToggleDebug, {}, 0},
        {"delete", &I::Delete, {"Remote file "}, 1},
        {"dir", &I::ListLong, {}, 0},
        {"disconnect", &I::Disconnect, {}, 0},
        {"get", &I::GetOne, {"Remote file ", "Local file "}, 1},
        {"glob", &I::ToggleGlob, {}, 0},
        {"hash", &I::ToggleHash, {}, 0},
        {"help", &I::Help, {}, 0},
        {"image", &I::Binary, {}, 0},
        {"lcd", &I::LocalFolder, {}, 0},
        {"literal", &I::Literal, {"Command line to send "}, 1},
        {"ls", &I::ListNames, {}, 0},
        {"mdelete", &I::DeleteMany, {"Remote files "}, 1},
        {"mdir", &I::ListManyLong, {"Remote files ", "Local file "}, 2},
        {"mget", &I::GetMany, {"Remote files "}, 1},
        {"mkdir", &I::MakeFolder, {"Directory name "}, 1},
        {"mls", &I::ListManyNames, {"Remote files ", "Local file "}, 2},
        {"mput", &I::PutMany, {"Local files "}, 1},
        {"open", &I::Open, {"To "}, 1},
        {"prompt", &I::TogglePrompt, {}, 0},
        {"put", &I::PutOne, {"Local file ", "Remote file "}, 1},
        {"pwd", &I::PrintFolder, {}, 0},
        {"quit", &I::Quit, {}, 0},
        {"quote", &I::Literal, {"Command line to send "}, 1},
        {"recv", &I::GetOne, {"Remote file ", "Local file "}, 1},
        {"remotehelp", &I::RemoteHelp, {}, 0},
        {"rename", &I::Rename, {"From name ", "To name "}, 2},
        {"rmdir", &I::RemoveFolder, {"Directory name "}, 1},
        {"send", &I::PutOne, {"Local file ", "Remote file "}, 1},
        {"status", &I::Status, {}, 0},
        {"tls", &I::RequireTls, {}, 0}, // ours: no Windows client has it
        {"trace", &I::ToggleTrace, {}, 0},
        {"type", &I::Type, {}, 0},
        {"user", &I::User, {"Username "}, 1},
        {"verbose", &I::ToggleVerbose, {}, 0},
    };
    return commands;
}

Interpreter::Interpreter(const Options& options, Connection& connection, LocalSide& local,
                         Transcript& transcript)
    : options_(options), connection_(connection), local_(local), transcript_(transcript),
      session_(options_, connection, transcript),
      sender_(session_, transcript, [this] { return StopNoticed(); }) {}

bool Interpreter::Run(std::istream& input) {
    ScriptReader reader(input);
    input_ = &reader;
    bool allSucceeded = true;
    if (!options_.host.empty()) {
        Words words{"open", options_.host};
        if (!options_.port.empty())
            words.push_back(options_.port);
        allSucceeded = Open(words, {});
    }
    const bool fromScript = !options_.scriptFile.empty() || !isatty(STDIN_FILENO);
    while (!quitting_ && !Cancelled()) {
        if (!fromScript)
            transcript_.Write("ftp> ");
        auto line = NextLine();
        if (!line)
            break;
        if (line->find_first_not_of(" \t") == std::string::npos)
            continue;
        if (fromScript)
            Echo(*line);
        if (!Execute(*line))
            allSucceeded = false;
    }
    if (StopNoticed()) {
        allSucceeded = NoteCancel();
        NoteHeldFilesNotTried();
    }
    if (!quitting_)
        session_.End();
    input_ = nullptr;
    return allSucceeded && !lineRefused_;
}

void Interpreter::Watch(SendWatch& watch) {
    watch_ = &watch;
    connection_.SetStopRequest([&watch] { return watch.Cancelled(); });
}

// The first time it sees the user's cancel, what still needs the server
// (removing a part, saying goodbye) is given until the deadline.
bool Interpreter::StopNoticed() {
    if (!Cancelled())
        return false;
    if (!stopNoticed_) {
        stopNoticed_ = true;
        connection_.SetStopRequest(nullptr);
        connection_.SetDeadline(watch_->CancelledAt() + kTimeAfterCancel);
    }
    return true;
}

std::optional<std::string> Interpreter::NextLine() {
    std::string line;
    switch (input_ ? input_->Next(line) : ScriptReader::Status::End) {
    case ScriptReader::Status::Line:
        return line;
    case ScriptReader::Status::TooLong:
        lineRefused_ = true;
        Fail("Command line too long: over " + std::to_string(kMaxCommandLine) +
             " characters; it and the rest of the script are not run.");
        return std::nullopt;
    case ScriptReader::Status::End:
        break;
    }
    return std::nullopt;
}

bool Interpreter::Fail(const std::string& text) {
    transcript_.Failure(text);
    return false;
}

// A question of the client, answered by the next input line.
std::optional<std::string> Interpreter::Ask(const std::string& prompt) {
    transcript_.Write(prompt);
    auto answer = NextLine();
    transcript_.Line(answer.value_or(""));
    return answer;
}

// The command as the user would have typed it, the password left out.
void Interpreter::Echo(const std::string& line) {
    const Words words = SplitWords(line);
    const std::string name = words.empty() ? std::string() : CommandName(words.front());
    std::string shown = line;
    if (name == "user" && words.size() > 2)
        shown = words[0] + " " + words[1];
    else if ((name == "literal" || name == "quote") && words.size() > 1 &&
             Lowered(words[1]) == "pass")
        shown = words[0] + " " + words[1];
    transcript_.Line("ftp> " + shown);
}

std::string Interpreter::CommandName(const std::string& typed) {
    int candidates = 0;
    const Command* command = Resolve(typed, candidates);
    return command ? command->name : "";
}

// The command a name stands for: itself or the one command it begins.
const Interpreter::Command* Interpreter::Resolve(const std::string& typed, int& candidates) {
    const std::string name = Lowered(typed);
    if (!name.empty() && name.front() == '!')
        return &CommandTable().front();
    const Command* found = nullptr;
    candidates = 0;
    for (const auto& command : CommandTable()) {
        if (name == command.name)
            return &command;
        if (!name.empty() && std::string_view(command.name).substr(0, name.size()) == name) {
            found = &command;
            ++candidates;
        }
    }
    return candidates == 1 ? found : nullptr;
}

const Interpreter::Command* Interpreter::Find(const std::string& typed) {
    int candidates = 0;
    const Command* command = Resolve(typed, candidates);
    if (!command)
        Fail(candidates > 1 ? "Ambiguous command." : "Invalid command.");
    return command;
}

// Missing arguments are asked for, as the client's prompts would: all of
// them when none was given, else the required ones still missing.
bool Interpreter::CompleteArguments(const Command& command, Words& words) {
    const std::size_t given = words.size() - 1;
    const std::size_t asked = given == 0 ? command.prompts.size() : command.required;
    bool added = false;
    for (std::size_t i = given; i < asked && i < command.prompts.size(); ++i) {
        const auto answer = Ask(command.prompts[i]);
        const Words answerWords = SplitWords(answer.value_or(""));
        if (answerWords.empty())
            break;
        words.insert(words.end(), answerWords.begin(), answerWords.end());
        added = true;
    }
    return added;
}

bool Interpreter::Execute(const std::string& line) {
    Words words = SplitWords(line);
    const Command* command = words.empty() ? nullptr : Find(words.front());
    if (!command)
        return false;
    const bool asked = CompleteArguments(*command, words);
    return (this->*command->handler)(words, asked ? Joined(words, 1) : TextAfterFirstWord(line));
}

bool Interpreter::Usage(const std::string& text) {
    return Fail("Usage: " + text);
}

bool Interpreter::Open(const Words& words, const std::string&) {
    std::string failure;
    const auto port = words.size() == 3 ? ParsePort(words[2]) : std::optional<int>(21);
    if (words.size() < 2 || words.size() > 3)
        failure = "Usage: open host [port]";
    else if (connection_.IsOpen())
        failure = "Already connected to " + session_.Host() + ", use disconnect first.";
    else if (!port)
        failure = "Invalid port \"" + words[2] + "\".";
    if (options_.anonymous && failure.empty()) {
        session_.Aim(words[1], *port);
        return Login("anonymous", "anonymous@");
    }
    // The answers to "User" and "Password" are the next lines, always taken
    // when a login follows, so that a failed open never runs the password
    // as a command.
    std::optional<std::string> user, password;
    if (options_.autoLogin) {
        user = NextLine();
        password = NextLine();
    }
    if (!failure.empty())
        return Fail(failure);
    session_.Aim(words[1], *port);
    if (!options_.autoLogin)
        return true; // the login follows with `user` or `quote USER`/`quote PASS`
    return Login(user.value_or(""), password.value_or(""));
}

bool Interpreter::User(const Words& words, const std::string&) {
    if (words.size() < 2 || words.size() > 4)
        return Usage("user username [password] [account]");
    if (!session_.Aimed())
        return Fail("Not connected.");
    const std::string password = words.size() >= 3 ? words[2] : NextLine().value_or("");
    session_.End();
    if (!Login(words[1], password))
        return false;
    return words.size() < 4 || SendCommand("ACCT " + words[3]);
}

bool Interpreter::Login(const std::string& user, const std::string& password) {
    return session_.LogIn(user, password);
}

bool Interpreter::ChangeFolder(const Words& words, const std::string& rest) {
    if (words.size() < 2)
        return Usage("cd remote-directory");
    return session_.ChangeFolder(words.size() == 2 ? words[1] : rest);
}

bool Interpreter::LocalFolder(const Words& words, const std::string&) {
    std::string error;
    if (words.size() > 1 && !local_.ChangeFolder(LocalPath(words[1]), error))
        return Fail(words[1] + ": " + error);
    transcript_.Line("Local directory now " + local_.CurrentFolder() + ".");
    return true;
}

bool Interpreter::PrintFolder(const Words&, const std::string&) {
    return SendCommand("PWD");
}

bool Interpreter::MakeFolder(const Words& words, const std::string&) {
    if (words.size() != 2)
        return Usage("mkdir remote-directory");
    return SendCommand("MKD " + words[1]);
}

bool Interpreter::RemoveFolder(const Words& words, const std::string&) {
    if (words.size() != 2)
        return Usage("rmdir remote-directory");
    return SendCommand("RMD " + words[1]);
}

bool Interpreter::Delete(const Words& words, const std::string&) {
    if (words.size() != 2)
        return Usage("delete remote-file");
    return SendCommand("DELE " + words[1]);
}

bool Interpreter::Rename(const Words& words, const std::string&) {
    if (words.size() != 3)
        return Usage("rename from-name to-name");
    return SendCommand("RNFR " + words[1]) && SendCommand("RNTO " + words[2]);
}

bool Interpreter::RemoteHelp(const Words& words, const std::string& rest) {
    return SendCommand(words.size() > 1 ? "HELP " + rest : "HELP");
}

// A script from a station must not run local programs: `!` is refused.
bool Interpreter::Shell(const Words&, const std::string&) {
    return Fail("Local commands (!) are not run by this client.");
}

bool Interpreter::Literal(const Words& words, const std::string& rest) {
    if (words.size() < 2)
        return Usage("literal argument [ ... ]");
    const std::string verb = Lowered(words[1]);
    // Passive mode is chosen per transfer; a PASV of the script would only
    // open a data port nobody uses.
    if (Lowered(rest) == "pasv")
        return true;
    // Without a login (-n) a USER and its PASS are the login itself.
    if (!connection_.IsOpen() && session_.Aimed() && (verb == "user" || verb == "pass")) {
        if (verb == "user") {
            pendingUser_ = Joined(words, 2);
            return true;
        }
        return Login(pendingUser_, Joined(words, 2));
    }
    return SendCommand(rest);
}

// Encryption a build asked for: every later session speaks TLS or not at all.
bool Interpreter::RequireTls(const Words& words, const std::string&) {
    if (words.size() > 2)
        return Usage("tls [certificate-file]");
    connection_.RequireTls(words.size() == 2 ? LocalPath(words[1]) : "");
    transcript_.Line("TLS required; certificates checked against " +
                     (words.size() == 2 ? words[1] : std::string("the system's store")) + ".");
    return true;
}

bool Interpreter::Disconnect(const Words&, const std::string&) {
    session_.End();
    return true;
}

bool Interpreter::Quit(const Words&, const std::string&) {
    session_.End();
    quitting_ = true;
    return true;
}

} // namespace ftp
