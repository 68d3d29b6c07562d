#pragma once
// Carries out ftp commands as the Windows command-line client does: one a
// line, a failed or unknown command reported and the next one taken. Answers
// to questions (login, mput prompts) are the next input lines.
#include <cstdint>
#include <functional>
#include <istream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Connection.h"
#include "Options.h"
#include "Transcript.h"

namespace ftp {

class Interpreter {
public:
    Interpreter(const Options& options, Connection& connection, Transcript& transcript);

    // Runs every command of `input` until its end or bye; true when all succeeded.
    bool Run(std::istream& input);

private:
    using Words = std::vector<std::string>;
    using Handler = bool (Interpreter::*)(const Words&, const std::string& rest);

    bool Execute(const std::string& line);
    std::optional<std::string> NextLine();
    void Echo(const std::string& line);

    bool Open(const Words& words, const std::string& rest);
    bool User(const Words& words, const std::string& rest);
    bool Binary(const Words& words, const std::string& rest);
    bool Ascii(const Words& words, const std::string& rest);
    bool Type(const Words& words, const std::string& rest);
    bool ChangeFolder(const Words& words, const std::string& rest);
    bool LocalFolder(const Words& words, const std::string& rest);
    bool PrintFolder(const Words& words, const std::string& rest);
    bool MakeFolder(const Words& words, const std::string& rest);
    bool PutOne(const Words& words, const std::string& rest);
    bool PutMany(const Words& words, const std::string& rest);
    bool TogglePrompt(const Words& words, const std::string& rest);
    bool ToggleHash(const Words& words, const std::string& rest);
    bool ToggleVerbose(const Words& words, const std::string& rest);
    bool ToggleDebug(const Words& words, const std::string& rest);
    bool Literal(const Words& words, const std::string& rest);
    bool Disconnect(const Words& words, const std::string& rest);
    bool Quit(const Words& words, const std::string& rest);
    bool Help(const Words& words, const std::string& rest);

    bool Login(const std::string& user, const std::string& password);
    bool SetType(bool ascii);
    bool SendCommand(const std::string& command);
    bool Transfer(const std::string& localPath, const std::string& remoteName);
    bool Usage(const std::string& text);

    Options options_;
    Connection& connection_;
    Transcript& transcript_;
    std::map<std::string, Handler> commands_;
    std::istream* input_ = nullptr;
    std::string host_; // of the open (or, with -n, the opened-to) server
    int port_ = 21;
    bool ascii_ = true;
    bool hash_ = false;
    bool quitting_ = false;
};

// Splits a command line into words; double quotes group a name with blanks.
std::vector<std::string> SplitWords(const std::string& line);

} // namespace ftp
