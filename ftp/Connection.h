#pragma once
// One FTP control connection as the command interpreter sees it. The real
// one is CurlConnection; tests may put a scripted one in its place.
#include <cstdint>
#include <functional>
#include <string>

namespace ftp {

struct PutResult {
    bool sent = false;       // the whole file went and the server confirmed it
    std::uint64_t bytes = 0; // bytes sent on the data connection
    double seconds = 0;
    std::string error; // why not, when not sent
};

class Connection {
public:
    // Server reply lines, and commands as sent (the password masked).
    using LineListener = std::function<void(const std::string& line)>;
    // Called with each block of bytes sent during a transfer.
    using ProgressListener = std::function<void(std::uint64_t bytes)>;

    virtual ~Connection() = default;
    virtual void SetListeners(LineListener replies, LineListener commands) = 0;
    // Connects to host:port and logs in; false with a reason on failure.
    virtual bool Open(const std::string& host, int port, const std::string& user,
                      const std::string& password, std::string& error) = 0;
    virtual bool IsOpen() const = 0;
    // Sends one command; the code of the server's final reply (0: none).
    virtual int Send(const std::string& command, std::string& error) = 0;
    virtual PutResult Put(const std::string& localPath, const std::string& remoteName, bool ascii,
                          ProgressListener progress) = 0;
    // Says goodbye to the server and closes; nothing when not open.
    virtual void Close() = 0;
};

} // namespace ftp
