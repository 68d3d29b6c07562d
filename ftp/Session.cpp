#include "Session.h"

#include <cstdlib>

namespace ftp {

namespace {

// A line break inside would end the command early and start another.
bool HoldsLineBreak(const std::string& text) {
    return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

} // namespace

Session::Session(const Options& options, Connection& connection, Transcript& transcript)
    : options_(options), connection_(connection), transcript_(transcript) {
    connection_.SetListeners({
        [this](const std::string& reply) {
            const bool failure = !reply.empty() && (reply[0] == '4' || reply[0] == '5');
            if (failure)
                lastFailureReply_ = reply;
            lastReply_ = reply;
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

bool Session::Fail(const std::string& text) {
    transcript_.Failure(text);
    return false;
}

void Session::Aim(const std::string& host, int port) {
    host_ = host;
    port_ = port;
}

bool Session::LogIn(const std::string& user, const std::string& password) {
    std::string error;
    remoteFolders_.clear();
    kept_ = false;
    if (HoldsLineBreak(user) || HoldsLineBreak(password))
        return Fail("Login failed: the name or password holds a line break.");
    if (connection_.Open(host_, port_, user, password, error)) {
        user_ = user;
        password_ = password;
        kept_ = true;
        return true;
    }
    return Fail(connection_.IsOpen() || error.find("denied") != std::string::npos
                    ? "Login failed."
                    : "ftp: connect: " + error);
}

void Session::End() {
    kept_ = false;
    connection_.Close();
}

bool Session::Connected() {
    if (connection_.IsOpen())
        return true;
    if (kept_ && !reconnecting_ && Reconnect())
        return true;
    return Fail("Not connected.");
}

// After the server dropped the connection: the same login, type and remote
// folder again, so the files that follow still go where they were meant to.
bool Session::Reconnect() {
    if (host_.empty() || user_.empty())
        return false;
    transcript_.Line("Reconnecting to " + host_ + ".");
    const std::vector<std::string> folders = remoteFolders_;
    reconnecting_ = true;
    bool restored = LogIn(user_, password_) && SetType(ascii_);
    for (std::size_t i = 0; restored && i < folders.size(); ++i)
        restored = Command("CWD " + folders[i]);
    reconnecting_ = false;
    if (!restored) { // nothing more goes to a folder the script did not mean
        End();
        return false;
    }
    remoteFolders_ = folders;
    return true;
}

bool Session::Command(const std::string& command) {
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

int Session::Ask(const std::string& command) {
    std::string error;
    if (HoldsLineBreak(command) || !Connected())
        return 0;
    return connection_.Send(command, error);
}

bool Session::SetType(bool ascii) {
    ascii_ = ascii;
    return !connection_.IsOpen() || Command(ascii ? "TYPE A" : "TYPE I");
}

bool Session::ChangeFolder(const std::string& folder) {
    if (!Command("CWD " + folder))
        return false;
    remoteFolders_.push_back(folder);
    return true;
}

std::string Session::Destination(const std::string& remoteName) const {
    std::string place = host_ + ":" + std::to_string(port_);
    for (const auto& folder : remoteFolders_)
        place += "|" + folder;
    return place + "|" + remoteName;
}

std::optional<std::uint64_t> Session::RemoteSize(const std::string& remoteName) {
    if (Ask("SIZE " + remoteName) != 213 || lastReply_.size() < 5)
        return std::nullopt;
    return std::strtoull(lastReply_.c_str() + 4, nullptr, 10);
}

} // namespace ftp
