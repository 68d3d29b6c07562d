#include "Interpreter.h"

#include <cstdio>
#include <filesystem>
#include <unistd.h>

#include "LocalFiles.h"

namespace ftp {

namespace {

std::string Lowered(std::string text) {
    for (auto& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

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

// A line break inside would end the command early and start another.
bool HoldsLineBreak(const std::string& text) {
    return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

std::optional<int> ParsePort(const std::string& text) {
    char* end = nullptr;
    const long port = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || port < 1 || port > 65535)
        return std::nullopt;
    return static_cast<int>(port);
}

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

std::string Printable(const std::string& name) {
    std::string shown;
    for (unsigned char c : name) {
        if (c >= 0x20 && c != 0x7f) {
            shown += static_cast<char>(c);
            continue;
        }
        char escape[8];
        std::snprintf(escape, sizeof escape, "\\x%02X", c);
        shown += c == '\r' ? "\\r" : c == '\n' ? "\\n" : c == '\t' ? "\\t" : escape;
    }
    return shown;
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
    : options_(options), connection_(connection), local_(local), transcript_(transcript) {
    connection_.SetListeners({
        [this](const std::string& reply) {
            const bool failure = !reply.empty() && (reply[0] == '4' || reply[0] == '5');
            if (failure)
                lastFailureReply_ = reply;
            lastReply_ = reply;
            restStream_ = restStream_ || reply.find("REST STREAM") != std::string::npos;
            if (options_.verbose || failure)
                transcript_.Line(reply);
        },
        [this](const std::string& command) {
            if (options_.debug)
                transcript_.Line("---> " + command);
        },
        [this](const std::string& note) { transcript_.Line(note); },
    });
}

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
    if (Cancelled()) {
        allSucceeded = NoteCancel();
        NoteHeldFilesNotTried();
    }
    if (!quitting_)
        connection_.Close();
    input_ = nullptr;
    return allSucceeded && !lineRefused_;
}

void Interpreter::Watch(SendWatch& watch) {
    watch_ = &watch;
    connection_.SetStopRequest([&watch] { return watch.Cancelled(); });
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

// The one rule for every command that needs the server: a connection lost
// since the login is set up again here, visibly, or the command fails. The
// transfer library never logs in on its own.
bool Interpreter::Connected() {
    if (connection_.IsOpen())
        return true;
    if (keepSession_ && !reconnecting_ && Reconnect())
        return true;
    return Fail("Not connected.");
}

bool Interpreter::Open(const Words& words, const std::string&) {
    std::string failure;
    const auto port = words.size() == 3 ? ParsePort(words[2]) : std::optional<int>(21);
    if (words.size() < 2 || words.size() > 3)
        failure = "Usage: open host [port]";
    else if (connection_.IsOpen())
        failure = "Already connected to " + host_ + ", use disconnect first.";
    else if (!port)
        failure = "Invalid port \"" + words[2] + "\".";
    if (options_.anonymous && failure.empty()) {
        host_ = words[1];
        port_ = *port;
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
    host_ = words[1];
    port_ = *port;
    if (!options_.autoLogin)
        return true; // the login follows with `user` or `quote USER`/`quote PASS`
    return Login(user.value_or(""), password.value_or(""));
}

bool Interpreter::User(const Words& words, const std::string&) {
    if (words.size() < 2 || words.size() > 4)
        return Usage("user username [password] [account]");
    if (host_.empty())
        return Fail("Not connected.");
    const std::string password = words.size() >= 3 ? words[2] : NextLine().value_or("");
    keepSession_ = false;
    connection_.Close();
    if (!Login(words[1], password))
        return false;
    return words.size() < 4 || SendCommand("ACCT " + words[3]);
}

bool Interpreter::Login(const std::string& user, const std::string& password) {
    std::string error;
    remoteFolders_.clear();
    keepSession_ = false;
    if (HoldsLineBreak(user) || HoldsLineBreak(password))
        return Fail("Login failed: the name or password holds a line break.");
    if (connection_.Open(host_, port_, user, password, error)) {
        user_ = user;
        password_ = password;
        keepSession_ = true;
        return true;
    }
    return Fail(connection_.IsOpen() || error.find("denied") != std::string::npos
                    ? "Login failed."
                    : "ftp: connect: " + error);
}

// After the server dropped the connection: the same login, type and remote
// folder again, so the files that follow still go where they were meant to.
bool Interpreter::Reconnect() {
    if (host_.empty() || user_.empty())
        return false;
    transcript_.Line("Reconnecting to " + host_ + ".");
    const Words folders = remoteFolders_;
    reconnecting_ = true;
    bool restored = Login(user_, password_) && SetType(ascii_);
    for (std::size_t i = 0; restored && i < folders.size(); ++i)
        restored = SendCommand("CWD " + folders[i]);
    reconnecting_ = false;
    if (!restored) { // nothing more goes to a folder the script did not mean
        keepSession_ = false;
        connection_.Close();
        return false;
    }
    remoteFolders_ = folders;
    return true;
}

bool Interpreter::SendCommand(const std::string& command) {
    if (HoldsLineBreak(command))
        return Fail("ftp: a command cannot hold a line break; not sent.");
    if (!Connected())
        return false;
    std::string error;
    lastFailureReply_.clear();
    const int reply = connection_.Send(command, error);
    if (reply == 0)
        return Fail(error.empty() ? "No reply from the server." : error);
    if (reply >= 400) // the reply is on the transcript already
        transcript_.NoteFailure(lastFailureReply_);
    return reply < 400;
}

bool Interpreter::SetType(bool ascii) {
    ascii_ = ascii;
    return !connection_.IsOpen() || SendCommand(ascii ? "TYPE A" : "TYPE I");
}

bool Interpreter::Binary(const Words&, const std::string&) {
    return SetType(false);
}

bool Interpreter::Ascii(const Words&, const std::string&) {
    return SetType(true);
}

bool Interpreter::Type(const Words& words, const std::string&) {
    if (words.size() == 1) {
        transcript_.Line(std::string("Using ") + (ascii_ ? "ascii" : "binary") +
                         " mode to transfer files.");
        return true;
    }
    const std::string type = Lowered(words[1]);
    if (type == "ascii" || type == "a")
        return SetType(true);
    if (type == "binary" || type == "image" || type == "i")
        return SetType(false);
    return Fail(words[1] + ": unknown mode.");
}

bool Interpreter::ChangeFolder(const Words& words, const std::string& rest) {
    if (words.size() < 2)
        return Usage("cd remote-directory");
    const std::string folder = words.size() == 2 ? words[1] : rest;
    if (!SendCommand("CWD " + folder))
        return false;
    remoteFolders_.push_back(folder);
    return true;
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

bool Interpreter::Toggle(bool& flag, const std::string& what) {
    flag = !flag;
    transcript_.Line(what + (flag ? " On" : " Off") + " .");
    return true;
}

bool Interpreter::TogglePrompt(const Words&, const std::string&) {
    return Toggle(options_.prompt, "Interactive mode");
}

bool Interpreter::ToggleHash(const Words&, const std::string&) {
    hash_ = !hash_;
    transcript_.Line(hash_ ? "Hash mark printing On  ftp: (2048 bytes/hash mark) ."
                           : "Hash mark printing Off .");
    return true;
}

bool Interpreter::ToggleVerbose(const Words&, const std::string&) {
    return Toggle(options_.verbose, "Verbose mode");
}

bool Interpreter::ToggleDebug(const Words&, const std::string&) {
    return Toggle(options_.debug, "Debugging");
}

bool Interpreter::ToggleGlob(const Words&, const std::string&) {
    return Toggle(options_.glob, "Globbing");
}

// The bell is a no-op in a transcript; the setting is kept for status.
bool Interpreter::ToggleBell(const Words&, const std::string&) {
    return Toggle(bell_, "Bell mode");
}

bool Interpreter::ToggleTrace(const Words&, const std::string&) {
    return Toggle(trace_, "Packet tracing");
}

bool Interpreter::Status(const Words&, const std::string&) {
    transcript_.Line(connection_.IsOpen() ? "Connected to " + host_ + "." : "Not connected.");
    auto onOff = [](bool flag) { return flag ? "On" : "Off"; };
    transcript_.Line(std::string("Type: ") + (ascii_ ? "ascii" : "binary") +
                     "; Verbose: " + onOff(options_.verbose) + " ; Bell: " + onOff(bell_) +
                     " ; Prompting: " + onOff(options_.prompt) +
                     " ; Globbing: " + onOff(options_.glob));
    transcript_.Line(std::string("Debugging: ") + onOff(options_.debug) +
                     " ; Hash mark printing: " + onOff(hash_) + " .");
    return true;
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
    if (!connection_.IsOpen() && !host_.empty() && (verb == "user" || verb == "pass")) {
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
    keepSession_ = false;
    connection_.Close();
    return true;
}

bool Interpreter::Quit(const Words&, const std::string&) {
    keepSession_ = false;
    connection_.Close();
    quitting_ = true;
    return true;
}

bool Interpreter::Help(const Words&, const std::string&) {
    std::string names;
    for (const auto& command : CommandTable())
        names += std::string(command.name) + " ";
    transcript_.Line("Commands may be abbreviated.  Commands are: " + names);
    return true;
}

} // namespace ftp
