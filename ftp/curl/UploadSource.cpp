#include "UploadSource.h"

#include <curl/curl.h>
#include <sys/types.h>

namespace ftp {

namespace {

// What is left from the current position: a resumed song starts inside.
std::int64_t FileSize(std::FILE* file) {
    const off_t start = ::ftello(file);
    if (start < 0 || ::fseeko(file, 0, SEEK_END) != 0)
        return -1;
    const std::int64_t size = ::ftello(file) - start;
    ::fseeko(file, start, SEEK_SET);
    return size;
}

// What FillText hands over for the whole file: one byte less per CR LF.
std::int64_t TextSize(std::FILE* file) {
    std::vector<char> block(64 * 1024);
    std::int64_t size = 0;
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

} // namespace

UploadSource::UploadSource(std::FILE* file, bool ascii, Connection::ProgressListener progress)
    : file_(file), ascii_(ascii), progress_(std::move(progress)) {
    std::setvbuf(file_, nullptr, _IONBF, 0);
    size_ = ascii ? TextSize(file_) : FileSize(file_);
}

UploadSource::~UploadSource() {
    std::fclose(file_);
}

bool UploadSource::Complete() const {
    return !readError_ && (size_ >= 0 ? handed_ == static_cast<std::uint64_t>(size_) : reachedEnd_);
}

std::size_t UploadSource::ReadHook(char* buffer, std::size_t size, std::size_t count,
                                   void* source) {
    auto* self = static_cast<UploadSource*>(source);
    const std::size_t produced = self->Fill(buffer, size * count);
    return self->readError_ ? CURL_READFUNC_ABORT : produced;
}

std::size_t UploadSource::Fill(char* buffer, std::size_t capacity) {
    const std::size_t produced =
        ascii_ ? FillText(buffer, capacity) : std::fread(buffer, 1, capacity, file_);
    if (produced == 0 || (!ascii_ && produced < capacity)) {
        readError_ = std::ferror(file_) != 0;
        reachedEnd_ = std::feof(file_) != 0;
    }
    handed_ += produced;
    if (progress_ && produced > 0)
        progress_(produced);
    return produced;
}

std::size_t UploadSource::FillText(char* buffer, std::size_t capacity) {
    raw_.resize(capacity - 1); // room for a CR held back from the last block
    const std::size_t got = std::fread(raw_.data(), 1, raw_.size(), file_);
    std::size_t out = 0;
    for (std::size_t i = 0; i < got; ++i) {
        if (pendingCr_ && raw_[i] != '\n')
            buffer[out++] = '\r';
        pendingCr_ = raw_[i] == '\r';
        if (!pendingCr_)
            buffer[out++] = raw_[i];
    }
    if (got == 0 && pendingCr_) {
        buffer[out++] = '\r';
        pendingCr_ = false;
    }
    return out;
}

} // namespace ftp
