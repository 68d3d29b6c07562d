#pragma once
// The FTP connection on libcurl: one easy handle, so every command and file
// of a login reuses the same control connection, and libcurl is never let
// open another one by itself (it would log in again unseen, in the login
// folder). Passive mode, active where the server refuses passive.
#include <cstdint>
#include <memory>
#include <optional>

#include "Connection.h"

typedef void CURL;
typedef void CURLM;

namespace ftp {

class ListingSink;

class CurlConnection : public Connection {
public:
    CurlConnection();
    ~CurlConnection() override;
    CurlConnection(const CurlConnection&) = delete;
    CurlConnection& operator=(const CurlConnection&) = delete;

    void SetListeners(Listeners listeners) override;
    void SetStopRequest(std::function<bool()> stopRequested) override {
        stopRequested_ = std::move(stopRequested);
    }
    void SetDeadline(std::chrono::steady_clock::time_point deadline) override {
        deadline_ = deadline;
    }
    void RequireTls(const std::string& caFile) override;
    bool Open(const std::string& host, int port, const std::string& user,
              const std::string& password, std::string& error) override;
    bool IsOpen() const override;
    int Send(const std::string& command, std::string& error) override;
    TransferResult Put(int localFile, const std::string& localPath, const std::string& remoteName,
                       bool ascii, bool append, ProgressListener progress,
                       const std::string& renameTo) override;
    TransferResult Get(const std::string& localPath, const std::string& remoteName, bool ascii,
                       ProgressListener progress) override;
    bool List(ListKind kind, const std::string& remotePath, std::string& listing,
              std::string& error) override;
    void Close() override;

    // Called by libcurl's debug hook with what passes on the control connection.
    void OnControlText(bool incoming, const std::string& text);
    // ... and with what arrives on a data connection, before any conversion.
    void OnDataIn(const char* data, std::size_t size);
    // Called before libcurl opens a socket to `port`: false for a new
    // control connection outside Open.
    bool MayConnect(int port);
    // Asked all through an operation: true once the user stopped it or its
    // deadline passed.
    bool ShouldEnd();

private:
    void ResetHandle();
    bool Perform(std::string& error);
    void Abandon();
    TransferOutcome Outcome(bool done) const;
    bool ArrivedAsAnnounced(std::string& error) const;
    bool PerformTransfer(std::string& error);
    bool Confirmed() const;
    void ReadAnnouncedSize(const std::string& reply);
    std::string Url(const std::string& remotePath) const;

    CURL* handle_ = nullptr;
    CURLM* multi_ = nullptr; // holds the control connection between operations
    std::string baseUrl_;
    bool open_ = false;
    int socket_ = -1; // of the control connection
    int controlPort_ = 0;
    bool loggingIn_ = false;
    int commandsSent_ = 0;             // during the current operation
    bool refusedNewControl_ = false;   // libcurl wanted to connect again by itself
    ListingSink* listing_ = nullptr;   // while a listing arrives
    std::uint64_t bytesIn_ = 0;        // on the data connection, as they came
    std::int64_t announcedBytes_ = -1; // "(n bytes)" of the reply opening a download
    bool hidingReplies_ = false;       // replies to libcurl's own bookkeeping commands
    std::string greeting_;             // shown when the server's first reply comes
    std::string awaitedCommand_;
    std::string lastCommand_; // its first four letters
    int lastReply_ = 0;
    int dataReply_ = 0; // the last reply to a transfer's own commands
    int renameFromReply_ = 0, renameToReply_ = 0;
    bool tls_ = false;
    std::string caFile_;
    bool active_ = false;      // the server refused passive mode once
    bool pasvRefused_ = false; // its last PASV or EPSV had a failure reply
    double seconds_ = 0;       // of the last transfer
    bool stopped_ = false;     // the last operation was stopped by the user
    bool timedOut_ = false;    // ... or ended by the deadline
    std::optional<std::chrono::steady_clock::time_point> deadline_;
    Listeners listeners_;
    std::function<bool()> stopRequested_;
};

} // namespace ftp
