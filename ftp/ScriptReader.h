#pragma once
// Reads the commands of a script (or standard input) one line at a time, in
// the encoding its byte-order mark tells: a UTF-8 mark is read as nothing
// (Notepad writes one), UTF-16 of either byte order becomes UTF-8. A line
// longer than any command is refused as soon as it passes that length, so
// an endless line never fills the memory.
#include <cstddef>
#include <istream>
#include <optional>
#include <string>

namespace ftp {

// The longest line taken, in bytes of UTF-8.
constexpr std::size_t kMaxCommandLine = 4096;

class ScriptReader {
public:
    enum class Status { Line, End, TooLong };

    explicit ScriptReader(std::istream& input) : input_(input) {}

    // The next line without its line end. After TooLong nothing more is
    // read: where the next line would begin cannot be trusted.
    Status Next(std::string& line);

private:
    enum class Encoding { Unknown, Bytes, Utf16Le, Utf16Be };

    void ReadMark();
    int NextByte();
    std::optional<char32_t> NextUnit16();
    std::optional<char32_t> NextCharacter();
    void Append(std::string& line, char32_t character) const;

    std::istream& input_;
    Encoding encoding_ = Encoding::Unknown;
    std::string unread_; // bytes read while looking for a mark that was not there
    bool stopped_ = false;
};

// A script's word in lower case: commands and their keywords ignore letter
// case, in ASCII.
std::string Lowered(std::string word);

} // namespace ftp
