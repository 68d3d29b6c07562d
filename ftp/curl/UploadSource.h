#pragma once
// Feeds one local file to libcurl. In ASCII mode libcurl itself turns every
// LF into CR LF on the wire, so CR LF pairs of the file are handed over as a
// lone LF: text with either line end goes out with CR LF, once.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "Connection.h"

namespace ftp {

class UploadSource {
public:
    // Takes `file`, read from its current position (in ASCII mode from its
    // start); closed with the source.
    UploadSource(std::FILE* file, bool ascii, Connection::ProgressListener progress);
    ~UploadSource();
    UploadSource(const UploadSource&) = delete;
    UploadSource& operator=(const UploadSource&) = delete;

    // What libcurl is told it will get: -1 when unknown.
    std::int64_t Size() const { return size_; }
    // libcurl stops asking once Size() bytes are handed over, before the end shows.
    bool Complete() const;
    bool ReadError() const { return readError_; }

    // libcurl's read callback on an UploadSource.
    static std::size_t ReadHook(char* buffer, std::size_t size, std::size_t count, void* source);

private:
    std::size_t Fill(char* buffer, std::size_t capacity);
    std::size_t FillText(char* buffer, std::size_t capacity);

    std::FILE* file_;
    bool ascii_;
    Connection::ProgressListener progress_;
    std::int64_t size_ = -1;
    bool pendingCr_ = false;
    bool readError_ = false;
    bool reachedEnd_ = false;
    std::uint64_t handed_ = 0;
    std::vector<char> raw_;
};

} // namespace ftp
