#pragma once
// The client's login to one server: connecting, logging in, the transfer
// type and the remote folders changed into, all set up again, visibly, by
// the next command that needs the server after it dropped the connection.
// The transfer library never logs in on its own.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Options.h"
#include "Transcript.h"
#include "curl/Connection.h"

namespace ftp {

class Session {
public:
    // `options` is read as it changes (verbose, debug).
    Session(const Options& options, Connection& connection, Transcript& transcript);

    // The server the next login goes to.
    void Aim(const std::string& host, int port);
    bool Aimed() const { return !host_.empty(); }
    const std::string& Host() const { return host_; }

    bool LogIn(const std::string& user, const std::string& password);
    // Ends the login: no reconnection until the next one.
    void End();
    // Open, or set up again after a drop; else says "Not connected.".
    bool Connected();
    // Logged in and not ended by a command.
    bool Kept() const { return kept_; }

    // Sends a command; a failure reply is shown and recorded as the
    // session's failure.
    bool Command(const std::string& command);
    // Sends a command whose refusal the caller handles: the reply's code
    // (0: none), nothing recorded.
    int Ask(const std::string& command);
    bool SetType(bool ascii);
    bool Ascii() const { return ascii_; }
    bool ChangeFolder(const std::string& folder);
    // Where a file of this name goes: server, port and remote folders.
    std::string Destination(const std::string& remoteName) const;
    // The server's size of a remote file; nothing when it gives none.
    std::optional<std::uint64_t> RemoteSize(const std::string& remoteName);

    Connection& Link() { return connection_; }

private:
    bool Reconnect();
    bool Fail(const std::string& text);

    const Options& options_;
    Connection& connection_;
    Transcript& transcript_;
    std::string host_; // of the open (or, with -n, the opened-to) server
    int port_ = 21;
    std::string user_, password_;            // of the last login, for a reconnection
    std::vector<std::string> remoteFolders_; // cd's since the login, replayed on reconnection
    bool kept_ = false;
    bool reconnecting_ = false;
    bool ascii_ = true;
    std::string lastFailureReply_; // the server's last 4xx/5xx line
    std::string lastReply_;        // and its last line of any kind
};

} // namespace ftp
