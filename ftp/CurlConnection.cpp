#include "CurlConnection.h"

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <strings.h>
#include <curl/curl.h>
#include <vector>

namespace ftp {

namespace {

constexpr long kUploadBufferSize = 512 * 1024;

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

curl_off_t FileSize(std::FILE* file) {
    if (std::fseek(file, 0, SEEK_END) != 0)
        return -1;
    const curl_off_t size = std::ftell(file);
    std::rewind(file);
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

// The listing as text.
std::size_t AppendHook(char* data, std::size_t size, std::size_t count, void* user) {
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
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
// leaves a half file under the real name.
class PartFile {
public:
    explicit PartFile(const std::string& target) : target_(target) {
        const auto slash = target.rfind('/');
        const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
        const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
        std::string pattern = folder + "." + name.substr(0, 200) + ".partXXXXXX";
        const int descriptor = ::mkstemp(pattern.data());
        if (descriptor >= 0) {
            path_ = pattern;
            file = ::fdopen(descriptor, "wb");
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
    if (type == CURLINFO_HEADER_IN || type == CURLINFO_HEADER_OUT)
        static_cast<CurlConnection*>(user)->OnControlText(type == CURLINFO_HEADER_IN,
                                                          std::string(data, size));
    return 0;
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

// CR and LF would end the command early, and libcurl refuses every control
// character in a path: such a name cannot reach the server at all.
bool HasControlCharacter(const std::string& name) {
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7f)
            return true;
    return false;
}

constexpr const char* kUnsendableName = "the name holds a control character, which FTP cannot carry";

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
    }
    handle_ = curl_easy_init();
    open_ = false;
    curl_easy_setopt(handle_, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(handle_, CURLOPT_DEBUGFUNCTION, DebugHook);
    curl_easy_setopt(handle_, CURLOPT_DEBUGDATA, this);
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

bool CurlConnection::Perform(std::string& error) {
    const CURLcode result = curl_easy_perform(handle_);
    curl_socket_t socket = CURL_SOCKET_BAD;
    curl_easy_getinfo(handle_, CURLINFO_ACTIVESOCKET, &socket);
    const bool wasOpen = open_;
    open_ = socket != CURL_SOCKET_BAD;
    if (wasOpen && !open_ && listeners_.replies)
        listeners_.replies("Connection closed by remote host.");
    if (result == CURLE_USE_SSL_FAILED)
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
    const bool ok = Perform(error);
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
    seconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return performed;
}

TransferResult CurlConnection::Put(const std::string& localPath, const std::string& remoteName,
                                   bool ascii, bool append, ProgressListener progress) {
    TransferResult result;
    if (!open_ || HasControlCharacter(remoteName)) {
        result.error = open_ ? kUnsendableName : "Not connected.";
        return result;
    }
    UploadSource source;
    source.file = std::fopen(localPath.c_str(), "rb");
    if (!source.file) {
        result.error = localPath + ": " + std::strerror(errno);
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

TransferResult CurlConnection::Get(const std::string& remoteName, const std::string& localPath,
                                   bool ascii, ProgressListener progress) {
    TransferResult result;
    if (!open_ || HasControlCharacter(remoteName)) {
        result.error = open_ ? kUnsendableName : "Not connected.";
        return result;
    }
    PartFile part(localPath);
    if (!part.file) {
        result.error = localPath + ": " + std::strerror(errno);
        return result;
    }
    DownloadSink sink{part.file, std::move(progress)};
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
    result.done = performed && Confirmed() && part.Place(result.error);
    if (performed && !result.done && result.error.empty())
        result.error = "the transfer was not completed";
    return result;
}

bool CurlConnection::List(ListKind kind, const std::string& remotePath, std::string& listing,
                          std::string& error) {
    if (!open_ || HasControlCharacter(remotePath)) {
        error = open_ ? kUnsendableName : "Not connected.";
        return false;
    }
    const std::string command =
        std::string(kind == ListKind::Names ? "NLST" : "LIST") +
        (remotePath.empty() ? "" : " " + remotePath);
    curl_easy_setopt(handle_, CURLOPT_URL, Url("").c_str());
    curl_easy_setopt(handle_, CURLOPT_NOBODY, 0L);
    curl_easy_setopt(handle_, CURLOPT_CUSTOMREQUEST, command.c_str());
    curl_easy_setopt(handle_, CURLOPT_WRITEFUNCTION, AppendHook);
    curl_easy_setopt(handle_, CURLOPT_WRITEDATA, &listing);
    const bool performed = PerformTransfer(error);
    curl_easy_setopt(handle_, CURLOPT_CUSTOMREQUEST, nullptr);
    if (performed && !Confirmed())
        error = "the listing was not completed";
    return performed && Confirmed();
}

void CurlConnection::Close() {
    if (!handle_)
        return;
    if (open_) {
        std::string ignored;
        Send("QUIT", ignored);
    }
    curl_easy_setopt(handle_, CURLOPT_VERBOSE, 0L);
    curl_easy_cleanup(handle_);
    handle_ = nullptr;
    open_ = false;
}

} // namespace ftp
