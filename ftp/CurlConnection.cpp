#include "CurlConnection.h"

#include "Transcript.h"

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <curl/curl.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <string_view>
#include <strings.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace ftp {

namespace {

constexpr long kUploadBufferSize = 512 * 1024;
// libcurl (7.88) may leave a passive data connection unstarted until its
// one-second idle wake-up; waking it sooner starts every transfer at once.
constexpr int kLongestIdleWaitMs = 10;
// A server that answers QUIT slowly, or never, does not hold the client.
constexpr long kQuitWaitSeconds = 5;

// Feeds one local file to libcurl. In ASCII mode libcurl itself turns every
// LF into CR LF on the wire, so CR LF pairs of the file are handed over as a
// lone LF: text with either line end goes out with CR LF, once.
struct UploadSource {
    std::FILE* file = nullptr;
    curl_off_t size = -1; // bytes handed to libcurl, when known
    bool ascii = false;
    bool pendingCr = false;
    bool readError = false;
    bool reachedEnd = false;
    std::uint64_t handed = 0;
    std::vector<char> raw;
    Connection::ProgressListener progress;

    // libcurl stops asking once `size` bytes are handed over, before the end shows.
    bool Complete() const {
        return !readError && (size >= 0 ? handed == static_cast<std::uint64_t>(size) : reachedEnd);
    }

    std::size_t Fill(char* buffer, std::size_t capacity) {
        const std::size_t produced =
            ascii ? FillText(buffer, capacity) : std::fread(buffer, 1, capacity, file);
        if (produced == 0 || (!ascii && produced < capacity)) {
            readError = std::ferror(file) != 0;
            reachedEnd = std::feof(file) != 0;
        }
        handed += produced;
        if (progress && produced > 0)
            progress(produced);
        return produced;
    }

    std::size_t FillText(char* buffer, std::size_t capacity) {
        raw.resize(capacity - 1); // room for a CR held back from the last block
        const std::size_t got = std::fread(raw.data(), 1, raw.size(), file);
        std::size_t out = 0;
        for (std::size_t i = 0; i < got; ++i) {
            if (pendingCr && raw[i] != '\n')
                buffer[out++] = '\r';
            pendingCr = raw[i] == '\r';
            if (!pendingCr)
                buffer[out++] = raw[i];
        }
        if (got == 0 && pendingCr) {
            buffer[out++] = '\r';
            pendingCr = false;
        }
        return out;
    }
};

// What is left from the current position: a resumed song starts inside.
curl_off_t FileSize(std::FILE* file) {
    const off_t start = ::ftello(file);
    if (start < 0 || ::fseeko(file, 0, SEEK_END) != 0)
        return -1;
    const curl_off_t size = ::ftello(file) - start;
    ::fseeko(file, start, SEEK_SET);
    return size;
}

// What FillText hands over for the whole file: one byte less per CR LF.
curl_off_t TextSize(std::FILE* file) {
    std::vector<char> block(64 * 1024);
    curl_off_t size = 0;
    bool previousWasCr = false;
    std::size_t got;
    while ((got = std::fread(block.data(), 1, block.size(), file)) > 0) {
        for (std::size_t i = 0; i < got; ++i) {
            size += (block[i] == '\n' && previousWasCr) ? 0 : 1;
            previousWasCr = block[i] == '\r';
        }
    }
    const bool readable = !std::ferror(file);
    std::rewind(file);
    return readable ? size : -1;
}

std::size_t ReadHook(char* buffer, std::size_t size, std::size_t count, void* user) {
    auto* source = static_cast<UploadSource*>(user);
    const std::size_t produced = source->Fill(buffer, size * count);
    return source->readError ? CURL_READFUNC_ABORT : produced;
}

struct DownloadSink {
    std::FILE* file;
    Connection::ProgressListener progress;
};

std::size_t WriteHook(char* data, std::size_t size, std::size_t count, void* user) {
    auto* sink = static_cast<DownloadSink*>(user);
    const std::size_t written = std::fwrite(data, 1, size * count, sink->file);
    if (sink->progress && written > 0)
        sink->progress(written);
    return written;
}

// A received file is written under a hidden temporary name beside its
// target and renamed only once complete, so a cut-off download never
// leaves a half file under the real name. It is made as any new file is
// (0666 less the umask); one that replaces a file takes over its mode.
class PartFile {
public:
    explicit PartFile(const std::string& target) : target_(target) {
        const auto slash = target.rfind('/');
        const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
        const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
        const std::string stem =
            folder + "." + name.substr(0, 200) + ".part" + std::to_string(::getpid()) + "-";
        for (int attempt = 0; attempt < 100 && !file; ++attempt) {
            const std::string candidate = stem + std::to_string(attempt);
            const int descriptor =
                ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (descriptor < 0 && errno != EEXIST)
                break;
            if (descriptor >= 0) {
                path_ = candidate;
                file = ::fdopen(descriptor, "wb");
            }
        }
    }
    ~PartFile() {
        if (file)
            std::fclose(file);
        if (!placed_ && !path_.empty())
            std::remove(path_.c_str());
    }
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    bool Place(std::string& error) {
        struct stat replaced {};
        if (::stat(target_.c_str(), &replaced) == 0 && S_ISREG(replaced.st_mode))
            ::fchmod(::fileno(file), replaced.st_mode & 07777);
        const bool closed = std::fclose(file) == 0;
        file = nullptr;
        placed_ = closed && std::rename(path_.c_str(), target_.c_str()) == 0;
        if (!placed_)
            error = target_ + ": " + std::strerror(errno);
        return placed_;
    }

    std::FILE* file = nullptr;

private:
    std::string target_, path_;
    bool placed_ = false;
};

int DebugHook(CURL*, curl_infotype type, char* data, std::size_t size, void* user) {
    auto* connection = static_cast<CurlConnection*>(user);
    if (type == CURLINFO_HEADER_IN || type == CURLINFO_HEADER_OUT)
        connection->OnControlText(type == CURLINFO_HEADER_IN, std::string(data, size));
    else if (type == CURLINFO_DATA_IN)
        connection->OnDataIn(data, size);
    return 0;
}

// Called by libcurl at least once a second during a transfer, stalled or not.
int TransferInfoHook(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<CurlConnection*>(user)->StopRequested() ? 1 : 0;
}

curl_socket_t OpenSocketHook(void* user, curlsocktype purpose, curl_sockaddr* address) {
    std::uint16_t port = 0; // sin6_port lies where sin_port does
    if (address->family == AF_INET || address->family == AF_INET6)
        std::memcpy(&port,
                    reinterpret_cast<const char*>(&address->addr) + offsetof(sockaddr_in, sin_port),
                    sizeof port);
    if (purpose == CURLSOCKTYPE_IPCXN &&
        !static_cast<CurlConnection*>(user)->MayConnect(ntohs(port)))
        return CURL_SOCKET_BAD;
    return ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
}

std::string PercentEncoded(const std::string& text) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

bool IsPassword(const std::string& command) {
    return command.size() >= 4 && strncasecmp(command.c_str(), "PASS", 4) == 0 &&
           (command.size() == 4 || command[4] == ' ');
}

constexpr const char* kUnsendableName =
    "the name holds a control character, which FTP cannot carry";

bool IsFinalReply(const std::string& line) {
    return line.size() >= 3 && std::isdigit(static_cast<unsigned char>(line[0])) &&
           std::isdigit(static_cast<unsigned char>(line[1])) &&
           std::isdigit(static_cast<unsigned char>(line[2])) &&
           (line.size() == 3 || line[3] == ' ');
}

class QuoteList {
public:
    explicit QuoteList(const std::string& command) {
        // The leading '*' keeps libcurl from dropping the connection when
        // the server refuses the command; we judge the reply ourselves.
        list_ = curl_slist_append(nullptr, ("*" + command).c_str());
    }
    ~QuoteList() { curl_slist_free_all(list_); }
    curl_slist* get() const { return list_; }

private:
    curl_slist* list_;
};

} // namespace

// The listing as it came, its CR LF line ends as LF (libcurl's own
// conversion would also split a name holding a CR), refused once it passes
// its bounds.
struct CurlConnection::ListingSink {
    std::string& text;
    std::size_t lineLength = 0;
    bool tooLarge = false;
    bool nameTooLong = false;

    bool Refused() const { return tooLarge || nameTooLong; }
    void Take(const char* data, std::size_t size) {
        for (std::size_t i = 0; i < size && !Refused(); ++i) {
            lineLength = data[i] == '\n' ? 0 : lineLength + 1;
            nameTooLong = lineLength > kMaxListedName + 1; // and a CR
            tooLarge = text.size() >= kMaxListingBytes;
            if (data[i] == '\n' && !text.empty() && text.back() == '\r')
                text.pop_back();
            if (!Refused())
                text += data[i];
        }
    }
    static std::size_t WriteHook(char*, std::size_t size, std::size_t count, void* user) {
        return static_cast<ListingSink*>(user)->Refused() ? 0 : size * count;
    }
};

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

namespace {

// curl_easy_perform with a bounded idle wait; the multi handle keeps the
// connection for the next operation. `control` is its socket, or bad when
// the operation left none open.
CURLcode RunOperation(CURLM* multi, CURL* handle, curl_socket_t& control) {
    if (curl_multi_add_handle(multi, handle) != CURLM_OK)
        return CURLE_FAILED_INIT;
    int running = 1;
    CURLMcode state = curl_multi_perform(multi, &running);
    while (state == CURLM_OK && running > 0) {
        state = curl_multi_poll(multi, nullptr, 0, kLongestIdleWaitMs, nullptr);
        if (state == CURLM_OK)
            state = curl_multi_perform(multi, &running);
    }
    CURLcode result = state == CURLM_OUT_OF_MEMORY ? CURLE_OUT_OF_MEMORY : CURLE_RECV_ERROR;
    int left = 0;
    while (const CURLMsg* message = curl_multi_info_read(multi, &left))
        if (message->msg == CURLMSG_DONE)
            result = message->data.result;
    control = CURL_SOCKET_BAD; // asked while the handle still knows its connection
    curl_easy_getinfo(handle, CURLINFO_ACTIVESOCKET, &control);
    curl_multi_remove_handle(multi, handle);
    return result;
}

} // namespace

bool CurlConnection::Perform(std::string& error) {
    commandsSent_ = 0;
    refusedNewControl_ = false;
    curl_socket_t socket = CURL_SOCKET_BAD;
    const CURLcode result = RunOperation(multi_, handle_, socket);
    const bool wasOpen = open_;
    socket_ = socket;
    open_ = socket != CURL_SOCKET_BAD && !refusedNewControl_;
    if (wasOpen && !open_ && listeners_.replies)
        listeners_.replies("Connection closed by remote host.");
    if (refusedNewControl_)
        error = "the connection to the server was lost";
    else if (result == CURLE_ABORTED_BY_CALLBACK)
        error = kStoppedByUser;
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
    lastReply_ = 0;
    pasvRefused_ = false;
    transferring_ = true;
    bool performed = Perform(error);
    if (!performed && !active_ && pasvRefused_) {
        active_ = true;
        curl_easy_setopt(handle_, CURLOPT_FTPPORT, "-");
        if (listeners_.notes)
            listeners_.notes("The server refused passive mode; using active mode.");
        error.clear();
        lastReply_ = 0;
        performed = Perform(error);
    }
    transferring_ = false;
    seconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return performed;
}

TransferResult CurlConnection::Put(int localFile, const std::string& localPath,
                                   const std::string& remoteName, bool ascii, bool append,
                                   ProgressListener progress) {
    TransferResult result;
    UploadSource source;
    source.file = ::fdopen(localFile, "rb");
    if (!source.file) {
        result.error = localPath + ": " + std::strerror(errno);
        ::close(localFile);
        return result;
    }
    if (!open_ || HoldsControlCharacter(remoteName)) {
        result.error = open_ ? kUnsendableName : "Not connected.";
        std::fclose(source.file);
        return result;
    }
    source.ascii = ascii;
    source.progress = std::move(progress);
    std::setvbuf(source.file, nullptr, _IONBF, 0);
    source.size = ascii ? TextSize(source.file) : FileSize(source.file);
    curl_easy_setopt(handle_, CURLOPT_URL, Url(remoteName).c_str());
    curl_easy_setopt(handle_, CURLOPT_NOBODY, 0L);
    curl_easy_setopt(handle_, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(handle_, CURLOPT_APPEND, append ? 1L : 0L);
    curl_easy_setopt(handle_, CURLOPT_TRANSFERTEXT, ascii ? 1L : 0L);
    curl_easy_setopt(handle_, CURLOPT_INFILESIZE_LARGE, source.size);
    curl_easy_setopt(handle_, CURLOPT_READFUNCTION, ReadHook);
    curl_easy_setopt(handle_, CURLOPT_READDATA, &source);
    const bool performed = PerformTransfer(result.error);
    result.seconds = seconds_;
    curl_easy_setopt(handle_, CURLOPT_UPLOAD, 0L);
    curl_easy_setopt(handle_, CURLOPT_APPEND, 0L);
    std::fclose(source.file);
    curl_off_t onTheWire = 0; // after libcurl's line-end conversion
    curl_easy_getinfo(handle_, CURLINFO_SIZE_UPLOAD_T, &onTheWire);
    result.bytes = static_cast<std::uint64_t>(onTheWire);
    // Sent means: libcurl saw no error, the whole file was read and the
    // server confirmed the transfer. Anything else is a transfer cut off.
    result.done = performed && source.Complete() && Confirmed();
    if (performed && !result.done)
        result.error =
            source.readError ? "read error on " + localPath : "the transfer was not completed";
    return result;
}

bool CurlConnection::Confirmed() const {
    return lastReply_ == 226 || lastReply_ == 250;
}

TransferResult CurlConnection::Get(const std::string& localPath, const std::string& remoteName,
                                   bool ascii, ProgressListener progress) {
    TransferResult result;
    if (!open_ || HoldsControlCharacter(remoteName)) {
        result.error = open_ ? kUnsendableName : "Not connected.";
        return result;
    }
    PartFile part(localPath);
    if (!part.file) {
        result.error = localPath + ": " + std::strerror(errno);
        return result;
    }
    DownloadSink sink{part.file, std::move(progress)};
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
    // libcurl checks the length in binary mode only; ASCII (the default
    // type) may grow in transit (CR LF), never shrink.
    const bool cutShort =
        announcedBytes_ >= 0 && bytesIn_ < static_cast<std::uint64_t>(announcedBytes_);
    if (performed && Confirmed() && cutShort)
        result.error = "the server sent " + std::to_string(bytesIn_) + " of the " +
                       std::to_string(announcedBytes_) + " bytes it announced; nothing replaced";
    result.done = performed && Confirmed() && !cutShort && part.Place(result.error);
    if (performed && !result.done && result.error.empty())
        result.error = "the transfer was not completed";
    return result;
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
    if (sink.tooLarge)
        error =
            "the listing passed " + std::to_string(kMaxListingBytes >> 20) + " MB; it is not used";
    else if (sink.nameTooLong)
        error = "the server listed a name over " + std::to_string(kMaxListedName) +
                " bytes long; the listing is not used";
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
    if (socket_ >= 0)
        ::shutdown(socket_, SHUT_RDWR);
    socket_ = -1;
    curl_easy_setopt(handle_, CURLOPT_VERBOSE, 0L);
    curl_easy_cleanup(handle_);
    curl_multi_cleanup(multi_);
    handle_ = nullptr;
    multi_ = nullptr;
    open_ = false;
}

} // namespace ftp
