#include "Interpreter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <unistd.h>

#include "LocalFiles.h"

namespace ftp {

namespace {

constexpr std::uint64_t kBytesPerHashMark = 2048;

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

std::string Fixed2(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

bool IsRegularFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
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

Interpreter::Interpreter(const Options& options, Connection& connection, Transcript& transcript)
    : options_(options), connection_(connection), transcript_(transcript) {
    commands_ = {
        {"open", &Interpreter::Open},
        {"user", &Interpreter::User},
        {"binary", &Interpreter::Binary},
        {"bin", &Interpreter::Binary},
        {"image", &Interpreter::Binary},
        {"ascii", &Interpreter::Ascii},
        {"type", &Interpreter::Type},
        {"cd", &Interpreter::ChangeFolder},
        {"lcd", &Interpreter::LocalFolder},
        {"pwd", &Interpreter::PrintFolder},
        {"mkdir", &Interpreter::MakeFolder},
        {"put", &Interpreter::PutOne},
        {"send", &Interpreter::PutOne},
        {"mput", &Interpreter::PutMany},
        {"prompt", &Interpreter::TogglePrompt},
        {"hash", &Interpreter::ToggleHash},
        {"verbose", &Interpreter::ToggleVerbose},
        {"debug", &Interpreter::ToggleDebug},
        {"literal", &Interpreter::Literal},
        {"quote", &Interpreter::Literal},
        {"close", &Interpreter::Disconnect},
        {"disconnect", &Interpreter::Disconnect},
        {"bye", &Interpreter::Quit},
        {"quit", &Interpreter::Quit},
        {"help", &Interpreter::Help},
        {"?", &Interpreter::Help},
    };
    connection_.SetListeners(
        [this](const std::string& reply) {
            const bool failure = !reply.empty() && (reply[0] == '4' || reply[0] == '5');
            if (options_.verbose || failure)
                transcript_.Line(reply);
        },
        [this](const std::string& command) {
            if (options_.debug)
                transcript_.Line("---> " + command);
        });
}

bool Interpreter::Run(std::istream& input) {
    input_ = &input;
    bool allSucceeded = true;
    if (!options_.host.empty()) {
        Words words{"open", options_.host};
        if (!options_.port.empty())
            words.push_back(options_.port);
        allSucceeded = Open(words, {});
    }
    const bool fromScript = !options_.scriptFile.empty() || !isatty(STDIN_FILENO);
    while (!quitting_) {
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
    if (!quitting_)
        connection_.Close();
    return allSucceeded;
}

std::optional<std::string> Interpreter::NextLine() {
    std::string line;
    if (!input_ || !std::getline(*input_, line))
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

// The command as the user would have typed it, the password left out.
void Interpreter::Echo(const std::string& line) {
    const Words words = SplitWords(line);
    const std::string name = Lowered(words.front());
    std::string shown = line;
    if (name == "user" && words.size() > 2)
        shown = words[0] + " " + words[1];
    else if ((name == "literal" || name == "quote") && words.size() > 1 &&
             Lowered(words[1]) == "pass")
        shown = words[0] + " " + words[1];
    transcript_.Line("ftp> " + shown);
}

bool Interpreter::Execute(const std::string& line) {
    const Words words = SplitWords(line);
    const auto command = commands_.find(Lowered(words.front()));
    if (command == commands_.end()) {
        transcript_.Line("Invalid command.");
        return false;
    }
    return (this->*command->second)(words, TextAfterFirstWord(line));
}

bool Interpreter::Usage(const std::string& text) {
    transcript_.Line("Usage: " + text);
    return false;
}

bool Interpreter::Open(const Words& words, const std::string&) {
    if (words.size() < 2 || words.size() > 3)
        return Usage("open host [port]");
    if (connection_.IsOpen()) {
        transcript_.Line("Already connected to " + host_ + ", use disconnect first.");
        return false;
    }
    host_ = words[1];
    port_ = 21;
    if (words.size() == 3) {
        char* end = nullptr;
        const long port = std::strtol(words[2].c_str(), &end, 10);
        if (*end != '\0' || port < 1 || port > 65535) {
            transcript_.Line("Invalid port \"" + words[2] + "\".");
            return false;
        }
        port_ = static_cast<int>(port);
    }
    if (!options_.autoLogin)
        return true; // the login follows with `user`
    // The answers to "User" and "Password" are the next lines, always taken,
    // so that a failed open never runs the password as a command.
    const auto user = NextLine();
    const auto password = NextLine();
    return Login(user.value_or(""), password.value_or(""));
}

bool Interpreter::User(const Words& words, const std::string&) {
    if (words.size() < 2 || words.size() > 3)
        return Usage("user username [password]");
    if (host_.empty()) {
        transcript_.Line("Not connected.");
        return false;
    }
    const std::string password = words.size() == 3 ? words[2] : NextLine().value_or("");
    connection_.Close();
    return Login(words[1], password);
}

bool Interpreter::Login(const std::string& user, const std::string& password) {
    std::string error;
    if (connection_.Open(host_, port_, user, password, error))
        return true;
    transcript_.Line(connection_.IsOpen() || error.find("denied") != std::string::npos
                         ? "Login failed."
                         : "ftp: connect: " + error);
    return false;
}

bool Interpreter::SendCommand(const std::string& command) {
    std::string error;
    const int reply = connection_.Send(command, error);
    if (reply == 0)
        transcript_.Line(error.empty() ? "No reply from the server." : error);
    return reply > 0 && reply < 400;
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
    transcript_.Line(words[1] + ": unknown mode.");
    return false;
}

bool Interpreter::ChangeFolder(const Words& words, const std::string& rest) {
    if (words.size() < 2)
        return Usage("cd remote-directory");
    return SendCommand("CWD " + (words.size() == 2 ? words[1] : rest));
}

bool Interpreter::LocalFolder(const Words& words, const std::string&) {
    if (words.size() > 1 && chdir(LocalPath(words[1]).c_str()) != 0) {
        transcript_.Line(words[1] + ": " + std::strerror(errno));
        return false;
    }
    std::error_code error;
    transcript_.Line("Local directory now " + std::filesystem::current_path(error).string() + ".");
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

bool Interpreter::PutOne(const Words& words, const std::string&) {
    if (words.size() < 2 || words.size() > 3)
        return Usage("put local-file [remote-file]");
    const std::string local = LocalPath(words[1]);
    return Transfer(local, words.size() == 3 ? words[2] : BaseName(local));
}

bool Interpreter::PutMany(const Words& words, const std::string&) {
    if (words.size() < 2)
        return Usage("mput local-files");
    if (!connection_.IsOpen()) {
        transcript_.Line("Not connected.");
        return false;
    }
    bool allSent = true;
    for (std::size_t i = 1; i < words.size(); ++i) {
        for (const auto& path : ExpandLocalPattern(words[i])) {
            if (options_.prompt) {
                transcript_.Write("mput " + path + "? ");
                const auto answer = NextLine();
                transcript_.Line(answer.value_or(""));
                if (!answer)
                    return allSent;
                if (!answer->empty() && (answer->front() == 'n' || answer->front() == 'N'))
                    continue;
            }
            allSent = Transfer(path, BaseName(path)) && allSent;
        }
    }
    return allSent;
}

bool Interpreter::Transfer(const std::string& localPath, const std::string& remoteName) {
    if (!connection_.IsOpen()) {
        transcript_.Line("Not connected.");
        return false;
    }
    if (!IsRegularFile(localPath)) {
        transcript_.Line(localPath + ": File not found");
        return false;
    }
    std::uint64_t unmarked = 0;
    bool marked = false;
    auto progress = [&](std::uint64_t bytes) {
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
    const PutResult result = connection_.Put(localPath, remoteName, ascii_, progress);
    if (marked)
        transcript_.Line("");
    if (!result.sent) {
        transcript_.Line("ftp: " + localPath + " was not sent: " + result.error);
        return false;
    }
    if (options_.verbose) {
        const double seconds = std::max(result.seconds, 0.001);
        transcript_.Line("ftp: " + std::to_string(result.bytes) + " bytes sent in " +
                         Fixed2(result.seconds) + "Seconds " +
                         Fixed2(static_cast<double>(result.bytes) / 1000.0 / seconds) +
                         "Kbytes/sec.");
    }
    return true;
}

bool Interpreter::TogglePrompt(const Words&, const std::string&) {
    options_.prompt = !options_.prompt;
    transcript_.Line(std::string("Interactive mode ") + (options_.prompt ? "On" : "Off") + " .");
    return true;
}

bool Interpreter::ToggleHash(const Words&, const std::string&) {
    hash_ = !hash_;
    transcript_.Line(hash_ ? "Hash mark printing On  ftp: (2048 bytes/hash mark) ."
                           : "Hash mark printing Off .");
    return true;
}

bool Interpreter::ToggleVerbose(const Words&, const std::string&) {
    options_.verbose = !options_.verbose;
    transcript_.Line(std::string("Verbose mode ") + (options_.verbose ? "On" : "Off") + " .");
    return true;
}

bool Interpreter::ToggleDebug(const Words&, const std::string&) {
    options_.debug = !options_.debug;
    transcript_.Line(std::string("Debugging ") + (options_.debug ? "On" : "Off") + " .");
    return true;
}

bool Interpreter::Literal(const Words& words, const std::string& rest) {
    if (words.size() < 2)
        return Usage("literal argument [ ... ]");
    // Passive mode is libcurl's choice per transfer; a PASV of the script
    // would only open a data port nobody uses.
    if (Lowered(rest) == "pasv")
        return true;
    return SendCommand(rest);
}

bool Interpreter::Disconnect(const Words&, const std::string&) {
    connection_.Close();
    return true;
}

bool Interpreter::Quit(const Words&, const std::string&) {
    connection_.Close();
    quitting_ = true;
    return true;
}

bool Interpreter::Help(const Words&, const std::string&) {
    std::string names;
    for (const auto& [name, handler] : commands_)
        names += name + " ";
    transcript_.Line("Commands are: " + names);
    return true;
}

} // namespace ftp
