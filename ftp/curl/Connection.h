#pragma once
// One FTP control connection as the command interpreter sees it. The real
// one is CurlConnection; the fuzz target puts a recording one in its place.
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace ftp {

enum class TransferOutcome {
    Done,    // the whole file went and the server confirmed it
    Stopped, // the user stopped it; the connection it used is given up
    Failed,  // refused or cut off; `error` says why
};

struct TransferResult {
    TransferOutcome outcome = TransferOutcome::Failed;
    std::uint64_t bytes = 0; // bytes on the data connection
    double seconds = 0;
    std::string error;    // why not, when not done
    bool renamed = false; // done, and then renamed as asked

    bool Done() const { return outcome == TransferOutcome::Done; }
    bool Stopped() const { return outcome == TransferOutcome::Stopped; }
};

enum class ListKind { Names, Long }; // NLST, LIST

// CR and LF would end a command early, and libcurl refuses every control
// character in a path: such a name cannot reach a server, nor should a
// server list one.
inline bool HoldsControlCharacter(const std::string& name) {
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7f)
            return true;
    return false;
}

class Connection {
public:
    // Server reply lines, commands as sent (the password masked), and notes
    // of the client itself that always show.
    using LineListener = std::function<void(const std::string& line)>;
    // Called with each block of bytes moved during a transfer.
    using ProgressListener = std::function<void(std::uint64_t bytes)>;

    struct Listeners {
        LineListener replies;
        LineListener commands;
        LineListener notes;
    };

    virtual ~Connection() = default;
    virtual void SetListeners(Listeners listeners) = 0;
    // Asked all through every operation: true ends it at once, and its
    // control connection with it (a reply still on its way is never read as
    // the answer to a later command).
    virtual void SetStopRequest(std::function<bool()> stopRequested) = 0;
    // From now on no connection, reply or operation waits past `deadline`:
    // what follows a cancel ends in time whatever the server does.
    virtual void SetDeadline(std::chrono::steady_clock::time_point deadline) = 0;
    // From the next Open on: explicit TLS (AUTH TLS) before the login and
    // on every data connection, the server's certificate checked against
    // `caFile`, or the system's store when empty. No TLS, no session.
    virtual void RequireTls(const std::string& caFile) = 0;
    // Connects to host:port and logs in; false with a reason on failure.
    virtual bool Open(const std::string& host, int port, const std::string& user,
                      const std::string& password, std::string& error) = 0;
    virtual bool IsOpen() const = 0;
    // Sends one command; the code of the server's final reply (0: none).
    virtual int Send(const std::string& command, std::string& error) = 0;
    // Sends the open `localFile` from its current position (in ASCII mode
    // from its start) and closes it; `localPath` names it in messages. Once
    // stored whole, the file is renamed to `renameTo` unless it is empty.
    virtual TransferResult Put(int localFile, const std::string& localPath,
                               const std::string& remoteName, bool ascii, bool append,
                               ProgressListener progress, const std::string& renameTo) = 0;
    // Receives into a temporary file beside `localPath`, renamed to it only
    // when the whole file arrived. Local path first, as for Put.
    virtual TransferResult Get(const std::string& localPath, const std::string& remoteName,
                               bool ascii, ProgressListener progress) = 0;
    // The listing of a remote folder or pattern (empty: the current folder).
    virtual bool List(ListKind kind, const std::string& remotePath, std::string& listing,
                      std::string& error) = 0;
    // Says goodbye to the server and closes; nothing when not open.
    virtual void Close() = 0;
};

} // namespace ftp
