#pragma once
// The FTP connection on libcurl: one easy handle, so every command and file
// of a login reuses the same control connection. Passive mode, active
// where the server refuses passive.
#include <memory>

#include "Connection.h"

typedef void CURL;

namespace ftp {

class CurlConnection : public Connection {
public:
    CurlConnection();
    ~CurlConnection() override;
    CurlConnection(const CurlConnection&) = delete;
    CurlConnection& operator=(const CurlConnection&) = delete;

    void SetListeners(Listeners listeners) override;
    void RequireTls(const std::string& caFile) override;
    bool Open(const std::string& host, int port, const std::string& user,
              const std::string& password, std::string& error) override;
    bool IsOpen() const override { return open_; }
    int Send(const std::string& command, std::string& error) override;
    TransferResult Put(const std::string& localPath, const std::string& remoteName, bool ascii,
                       bool append, ProgressListener progress) override;
    TransferResult Get(const std::string& remoteName, const std::string& localPath, bool ascii,
                       ProgressListener progress) override;
    bool List(ListKind kind, const std::string& remotePath, std::string& listing,
              std::string& error) override;
    void Close() override;

    // Called by libcurl's debug hook with what passes on the control connection.
    void OnControlText(bool incoming, const std::string& text);

private:
    void ResetHandle();
    bool Perform(std::string& error);
    bool PerformTransfer(std::string& error);
    bool Confirmed() const;
    std::string Url(const std::string& remotePath) const;

    CURL* handle_ = nullptr;
    std::string baseUrl_;
    bool open_ = false;
    bool hidingReplies_ = false; // replies to libcurl's own bookkeeping commands
    std::string greeting_;       // shown when the server's first reply comes
    std::string awaitedCommand_;
    std::string lastCommand_; // its first four letters
    int lastReply_ = 0;
    bool tls_ = false;
    std::string caFile_;
    bool active_ = false;      // the server refused passive mode once
    bool pasvRefused_ = false; // its last PASV or EPSV had a failure reply
    double seconds_ = 0;       // of the last transfer
    Listeners listeners_;
};

} // namespace ftp
