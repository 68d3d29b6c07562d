#include "CurlConnection.h"

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <curl/curl.h>
#include <poll.h>
#include <string_view>
#include <sys/socket.h>
#include <unistd.h>

#include "ControlWords.h"
#include "CurlHooks.h"
#include "ListingSink.h"
#include "UploadSource.h"
#include "system/posix/PartFile.h"

namespace ftp {

namespace {

constexpr long kUploadBufferSize = 512 * 1024;
// A server that answers QUIT slowly, or never, does not hold the client.
constexpr long kQuitWaitSeconds = 5;

constexpr const char* kStopped = "Stopped by the user.";
constexpr const char* kUnsendableName =
    "the name holds a control character, which FTP cannot carry";

struct DownloadSink {
    int file;
    Connection::ProgressListener progress;
};

std::size_t WriteHook(char* data, std::size_t size, std::size_t count, void* user) {
    auto* sink = static_cast<DownloadSink*>(user);
    std::size_t written = 0;
    while (written < size * count) {
        const ssize_t part = ::write(sink->file, data + written, size * count - written);
        if (part < 0 && errno == EINTR)
            continue;
        if (part <= 0)
            break;
        written += static_cast<std::size_t>(part);
    }
    if (sink->progress && written > 0)
        sink->progress(written);
    return written;
}

} // namespace

CurlConnection::CurlConnection() {
    curl_global_init(CURL_GLOBAL_DEFAULT);
}

CurlConnection::~CurlConnection() {
    Close();
    curl_global_cleanup();
}

void CurlConnection::SetListeners(Listeners listeners) {
    listeners_ = std::move(listeners);
}

void CurlConnection::RequireTls(const std::string& caFile) {
    tls_ = true;
    caFile_ = caFile;
}

void CurlConnection::ResetHandle() {
    if (handle_) {
        curl_easy_setopt(handle_, CURLOPT_VERBOSE, 0L);
        curl_easy_cleanup(handle_);
        curl_multi_cleanup(multi_);
    }
    handle_ = curl_easy_init();
    multi_ = curl_multi_init();
    curl_multi_setopt(multi_, CURLMOPT_MAXCONNECTS, 1L);
    open_ = false;
    socket_ = -1;
    curl_easy_setopt(handle_, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(handle_, CURLOPT_DEBUGFUNCTION, DebugHook);
    curl_easy_setopt(handle_, CURLOPT_DEBUGDATA, this);
    curl_easy_setopt(handle_, CURLOPT_OPENSOCKETFUNCTION, OpenSocketHook);
    curl_easy_setopt(handle_, CURLOPT_OPENSOCKETDATA, this);
    curl_easy_setopt(handle_, CURLOPT_XFERINFOFUNCTION, TransferInfoHook);
    curl_easy_setopt(handle_, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(handle_, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle_, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
    curl_easy_setopt(handle_, CURLOPT_MAXCONNECTS, 1L);
    curl_easy_setopt(handle_, CURLOPT_CONNECTTIMEOUT, 30L);
    curl_easy_setopt(handle_, CURLOPT_SERVER_RESPONSE_TIMEOUT, 60L);
    // A transfer that stalls for a minute is given up, never left hanging.
    curl_easy_setopt(handle_, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(handle_, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(handle_, CURLOPT_UPLOAD_BUFFERSIZE, kUploadBufferSize);
    if (active_)
        curl_easy_setopt(handle_, CURLOPT_FTPPORT, "-");
    if (tls_) {
        curl_easy_setopt(handle_, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
        curl_easy_setopt(handle_, CURLOPT_FTPSSLAUTH, static_cast<long>(CURLFTPAUTH_TLS));
        if (!caFile_.empty())
            curl_easy_setopt(handle_, CURLOPT_CAINFO, caFile_.c_str());
    }
}

std::string CurlConnection::Url(const std::string& remotePath) const {
    return baseUrl_ + "/" + PercentEncoded(remotePath);
}

void CurlConnection::OnControlText(bool incoming, const std::string& text) {
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (incoming) {
            ReadAnnouncedSize(line);
            if (!greeting_.empty() && listeners_.replies)
                listeners_.replies(greeting_); // the server answered: we are connected
            greeting_.clear();
            if (IsFinalReply(line)) {
                lastReply_ = std::stoi(line.substr(0, 3));
                if (lastCommand_ == "PASV" || lastCommand_ == "EPSV")
                    pasvRefused_ = lastReply_ >= 500;
                (lastCommand_ == "RNFR"   ? renameFromReply_
                 : lastCommand_ == "RNTO" ? renameToReply_
                                          : dataReply_) = lastReply_;
            }
            if (!hidingReplies_ && listeners_.replies)
                listeners_.replies(line);
        } else {
            ++commandsSent_;
            lastCommand_ = line.substr(0, 4);
            if (line == awaitedCommand_)
                lastReply_ = 0;
            // libcurl asks for the folder after login for itself alone.
            hidingReplies_ = line == "PWD" && awaitedCommand_ != "PWD";
            if (listeners_.commands)
                listeners_.commands(IsPassword(line) ? std::string("PASS ****") : line);
        }
    }
}

void CurlConnection::OnDataIn(const char* data, std::size_t size) {
    bytesIn_ += size;
    if (listing_)
        listing_->Take(data, size);
}

// The control connection libcurl opens in Open is the only one: a socket to
// the server's port before this operation sent a command would be a new
// one, logged in by libcurl unseen and without the script's folder.
bool CurlConnection::MayConnect(int port) {
    if (loggingIn_ || commandsSent_ > 0 || port != controlPort_)
        return true;
    refusedNewControl_ = true;
    return false;
}

// The server may have closed the control connection since the last
// command: libcurl would then connect anew, so it counts as closed.
bool CurlConnection::IsOpen() const {
    if (!open_ || socket_ < 0)
        return false;
    pollfd state{socket_, POLLIN, 0};
    if (::poll(&state, 1, 0) <= 0)
        return true;
    if (state.revents & (POLLERR | POLLHUP | POLLNVAL))
        return false;
    char byte;
    return ::recv(socket_, &byte, 1, MSG_PEEK | MSG_DONTWAIT) > 0;
}

// "150 Opening BINARY mode data connection for x (1000 bytes)."
void CurlConnection::ReadAnnouncedSize(const std::string& reply) {
    const auto open = reply.rfind('(');
    if (!(reply.starts_with("150") || reply.starts_with("125")) || open == std::string::npos)
        return;
    const char* digits = reply.c_str() + open + 1;
    char* end = nullptr;
    const long long bytes =
        std::isdigit(static_cast<unsigned char>(*digits)) ? std::strtoll(digits, &end, 10) : -1;
    if (bytes >= 0 && std::string_view(end).starts_with(" bytes"))
        announcedBytes_ = bytes;
}

// Asked all through an operation: a stop of the user or the deadline ends it.
bool CurlConnection::ShouldEnd() {
    stopped_ = stopped_ || (stopRequested_ && stopRequested_());
    timedOut_ = timedOut_ || (deadline_ && std::chrono::steady_clock::now() >= *deadline_);
    return stopped_ || timedOut_;
}

bool CurlConnection::Perform(std::string& error) {
    commandsSent_ = 0;
    refusedNewControl_ = false;
    stopped_ = timedOut_ = false;
    curl_socket_t socket = CURL_SOCKET_BAD;
    const CURLcode result = RunOperation(multi_, handle_, socket, [this] { return ShouldEnd(); });
    const bool wasOpen = open_;
    socket_ = socket;
    open_ = socket != CURL_SOCKET_BAD && !refusedNewControl_;
    const bool ended = result == CURLE_ABORTED_BY_CALLBACK;
    if (ended) // a reply still on its way must never answer a later command
        Abandon();
    else if (wasOpen && !open_ && listeners_.replies)
        listeners_.replies("Connection closed by remote host.");
    if (refusedNewControl_)
        error = "the connection to the server was lost";
    else if (ended)
        error = stopped_ ? kStopped : "the server did not answer in time";
    else if (result == CURLE_USE_SSL_FAILED)
        error = "the server does not offer TLS; nothing was sent in the clear";
    else if (result != CURLE_OK)
        error = curl_easy_strerror(result);
    return result == CURLE_OK;
}

bool CurlConnection::Open(const std::string& host, int port, const std::string& user,
                          const std::string& password, std::string& error) {
    ResetHandle();
    const bool literalV6 = host.find(':') != std::string::npos;
    baseUrl_ = "ftp://" + (literalV6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
    awaitedCommand_.clear();
    curl_easy_setopt(handle_, CURLOPT_URL, Url("").c_str());
    curl_easy_setopt(handle_, CURLOPT_USERNAME, user.c_str());
    curl_easy_setopt(handle_, CURLOPT_PASSWORD, password.c_str());
    curl_easy_setopt(handle_, CURLOPT_NOBODY, 1L);
    greeting_ = "Connected to " + host + ".";
    controlPort_ = port;
    loggingIn_ = true;
    const bool ok = Perform(error);
    loggingIn_ = false;
    greeting_.clear();
    hidingReplies_ = false;
    if (!ok && !open_)
        return false;
    if (!ok)
        Close();
    return ok;
}

int CurlConnection::Send(const std::string& command, std::string& error) {
    if (!open_) {
        error = "Not connected.";
        return 0;
    }
    QuoteList quote(command);
    awaitedCommand_ = command;
    curl_easy_setopt(handle_, CURLOPT_URL, Url("").c_str());
    curl_easy_setopt(handle_, CURLOPT_UPLOAD, 0L);
    curl_easy_setopt(handle_, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(handle_, CURLOPT_QUOTE, quote.get());
    lastReply_ = 0;
    Perform(error);
    curl_easy_setopt(handle_, CURLOPT_QUOTE, nullptr);
    awaitedCommand_.clear();
    return lastReply_;
}

// A transfer whose data connection the server would not open passively is
// tried once more in active mode, for this and every later transfer.
bool CurlConnection::PerformTransfer(std::string& error) {
    const auto started = std::chrono::steady_clock::now();
    lastReply_ = dataReply_ = renameFromReply_ = renameToReply_ = 0;
    pasvRefused_ = false;
    bool performed = Perform(error);
    if (!performed && !active_ && pasvRefused_) {
        active_ = true;
        curl_easy_setopt(handle_, CURLOPT_FTPPORT, "-");
        if (listeners_.notes)
            listeners_.notes("The server refused passive mode; using active mode.");
        error.clear();
        lastReply_ = dataReply_ = renameFromReply_ = renameToReply_ = 0;
        performed = Perform(error);
    }
    seconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return performed;
}

TransferResult CurlConnection::Put(int localFile, const std::string& localPath,
                                   const std::string& remoteName, bool ascii, bool append,
                                   ProgressListener progress, const std::string& renameTo) {
    TransferResult result;
    std::FILE* file = ::fdopen(localFile, "rb");
    if (!file) {
        result.error = localPath + ": " + std::strerror(errno);
        ::close(localFile);
        return result;
    }
    UploadSource source(file, ascii, std::move(progress));
    if (!open_ || HoldsControlCharacter(remoteName)) {
        result.error = open_ ? kUnsendableName : "Not connected.";
        return result;
    }
    curl_easy_setopt(handle_, CURLOPT_URL, Url(remoteName).c_str());
    curl_easy_setopt(handle_, CURLOPT_NOBODY, 0L);
    curl_easy_setopt(handle_, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(handle_, CURLOPT_APPEND, append ? 1L : 0L);
    curl_easy_setopt(handle_, CURLOPT_TRANSFERTEXT, ascii ? 1L : 0L);
    curl_easy_setopt(handle_, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(source.Size()));
    curl_easy_setopt(handle_, CURLOPT_READFUNCTION, UploadSource::ReadHook);
    curl_easy_setopt(handle_, CURLOPT_READDATA, &source);
    // Sent after the transfer only when it succeeded, in the same exchange:
    // no extra round of the connection per song.
    QuoteList rename("RNFR " + remoteName, "RNTO " + renameTo);
    curl_easy_setopt(handle_, CURLOPT_POSTQUOTE, renameTo.empty() ? nullptr : rename.get());
    const bool performed = PerformTransfer(result.error);
    result.seconds = seconds_;
    curl_easy_setopt(handle_, CURLOPT_POSTQUOTE, nullptr);
    curl_easy_setopt(handle_, CURLOPT_UPLOAD, 0L);
    curl_easy_setopt(handle_, CURLOPT_APPEND, 0L);
    curl_off_t onTheWire = 0; // after libcurl's line-end conversion
    curl_easy_getinfo(handle_, CURLINFO_SIZE_UPLOAD_T, &onTheWire);
    result.bytes = static_cast<std::uint64_t>(onTheWire);
    // Sent means: libcurl saw no error, the whole file was read and the
    // server confirmed the transfer. Anything else is a transfer cut off.
    result.outcome = Outcome(performed && source.Complete() && Confirmed());
    result.renamed = !renameTo.empty() && renameFromReply_ == 350 && renameToReply_ / 100 == 2;
    if (performed && !result.Done())
        result.error =
            source.ReadError() ? "read error on " + localPath : "the transfer was not completed";
    return result;
}

TransferOutcome CurlConnection::Outcome(bool done) const {
    return done       ? TransferOutcome::Done
           : stopped_ ? TransferOutcome::Stopped
                      : TransferOutcome::Failed;
}

bool CurlConnection::Confirmed() const {
    return dataReply_ == 226 || dataReply_ == 250;
}

TransferResult CurlConnection::Get(const std::string& localPath, const std::string& remoteName,
                                   bool ascii, ProgressListener progress) {
    TransferResult result;
    if (!open_ || HoldsControlCharacter(remoteName)) {
        result.error = open_ ? kUnsendableName : "Not connected.";
        return result;
    }
    platform::posix::PartFile part(localPath);
    if (part.fd() < 0) {
        result.error = localPath + ": " + std::strerror(errno);
        return result;
    }
    DownloadSink sink{part.fd(), std::move(progress)};
    bytesIn_ = 0;
    announcedBytes_ = -1;
    curl_easy_setopt(handle_, CURLOPT_URL, Url(remoteName).c_str());
    curl_easy_setopt(handle_, CURLOPT_NOBODY, 0L);
    curl_easy_setopt(handle_, CURLOPT_TRANSFERTEXT, ascii ? 1L : 0L);
    curl_easy_setopt(handle_, CURLOPT_WRITEFUNCTION, WriteHook);
    curl_easy_setopt(handle_, CURLOPT_WRITEDATA, &sink);
    const bool performed = PerformTransfer(result.error);
    result.seconds = seconds_;
    curl_off_t received = 0;
    curl_easy_getinfo(handle_, CURLINFO_SIZE_DOWNLOAD_T, &received);
    result.bytes = static_cast<std::uint64_t>(received);
    const bool whole = performed && Confirmed() && ArrivedAsAnnounced(result.error);
    part.TakeModeOfReplaced();
    const bool placed = whole && part.Finish() && part.Place();
    if (whole && !placed)
        result.error = localPath + ": " + std::strerror(errno);
    result.outcome = Outcome(placed);
    if (performed && !result.Done() && result.error.empty())
        result.error = "the transfer was not completed";
    return result;
}

// libcurl checks the length in binary mode only; ASCII (the default type)
// may grow in transit (CR LF), never shrink.
bool CurlConnection::ArrivedAsAnnounced(std::string& error) const {
    if (announcedBytes_ < 0 || bytesIn_ >= static_cast<std::uint64_t>(announcedBytes_))
        return true;
    error = "the server sent " + std::to_string(bytesIn_) + " of the " +
            std::to_string(announcedBytes_) + " bytes it announced; nothing replaced";
    return false;
}

bool CurlConnection::List(ListKind kind, const std::string& remotePath, std::string& listing,
                          std::string& error) {
    if (!open_ || HoldsControlCharacter(remotePath)) {
        error = open_ ? kUnsendableName : "Not connected.";
        return false;
    }
    const std::string command = std::string(kind == ListKind::Names ? "NLST" : "LIST") +
                                (remotePath.empty() ? "" : " " + remotePath);
    curl_easy_setopt(handle_, CURLOPT_URL, Url("").c_str());
    curl_easy_setopt(handle_, CURLOPT_NOBODY, 0L);
    curl_easy_setopt(handle_, CURLOPT_CUSTOMREQUEST, command.c_str());
    ListingSink sink{listing};
    listing_ = &sink;
    curl_easy_setopt(handle_, CURLOPT_WRITEFUNCTION, ListingSink::WriteHook);
    curl_easy_setopt(handle_, CURLOPT_WRITEDATA, &sink);
    const bool performed = PerformTransfer(error);
    listing_ = nullptr;
    curl_easy_setopt(handle_, CURLOPT_CUSTOMREQUEST, nullptr);
    if (sink.Refused())
        error = sink.Refusal();
    else if (performed && !Confirmed())
        error = "the listing was not completed";
    return performed && Confirmed() && !sink.Refused();
}

void CurlConnection::Close() {
    if (!handle_)
        return;
    if (IsOpen()) {
        std::string ignored;
        curl_easy_setopt(handle_, CURLOPT_SERVER_RESPONSE_TIMEOUT, kQuitWaitSeconds);
        Send("QUIT", ignored);
    }
    // Goodbye is said once: libcurl would say QUIT again on cleaning up and
    // wait for the answer a server that keeps the line open never gives.
    Abandon();
    curl_easy_setopt(handle_, CURLOPT_VERBOSE, 0L);
    curl_easy_cleanup(handle_);
    curl_multi_cleanup(multi_);
    handle_ = nullptr;
    multi_ = nullptr;
}

// The control connection is shut without a word; the handles stay for the
// caller still using them.
void CurlConnection::Abandon() {
    if (socket_ >= 0)
        ::shutdown(socket_, SHUT_RDWR);
    socket_ = -1;
    open_ = false;
}

} // namespace ftp
