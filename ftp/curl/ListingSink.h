#pragma once
// A remote listing as it came, its CR LF line ends as LF (libcurl's own
// conversion would also split a name holding a CR), refused once it passes
// its bounds: the names of a large folder, never a stream without end.
#include <cstddef>
#include <string>

namespace ftp {

class ListingSink {
public:
    static constexpr std::size_t kMaxListingBytes = 8 << 20;
    static constexpr std::size_t kMaxListedName = 1024;

    explicit ListingSink(std::string& text) : text_(text) {}

    // The bytes of the data connection, before any conversion.
    void Take(const char* data, std::size_t size);
    bool Refused() const { return tooLarge_ || nameTooLong_; }
    // Why it was refused; empty when it was not.
    std::string Refusal() const;

    // libcurl's write callback: ends the transfer once the listing is refused.
    static std::size_t WriteHook(char* data, std::size_t size, std::size_t count, void* sink);

private:
    std::string& text_;
    std::size_t lineLength_ = 0;
    bool tooLarge_ = false;
    bool nameTooLong_ = false;
};

} // namespace ftp
