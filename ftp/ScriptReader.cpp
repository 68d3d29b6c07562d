#include "ScriptReader.h"

#include <cctype>

namespace ftp {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& text, char32_t code) {
    auto put = [&text](unsigned value) { text += static_cast<char>(value); };
    if (code < 0x80) {
        put(code);
    } else if (code < 0x800) {
        put(0xC0 | code >> 6), put(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        put(0xE0 | code >> 12), put(0x80 | (code >> 6 & 0x3F)), put(0x80 | (code & 0x3F));
    } else {
        put(0xF0 | code >> 18), put(0x80 | (code >> 12 & 0x3F));
        put(0x80 | (code >> 6 & 0x3F)), put(0x80 | (code & 0x3F));
    }
}

} // namespace

int ScriptReader::NextByte() {
    if (!unread_.empty()) {
        const auto byte = static_cast<unsigned char>(unread_.front());
        unread_.erase(0, 1);
        return byte;
    }
    const auto byte = input_.get();
    return byte == std::istream::traits_type::eof() ? -1 : byte;
}

// Looks at no more bytes than a mark could take, and keeps them when they
// are no mark: an interactive user is not waited for beyond the first byte.
void ScriptReader::ReadMark() {
    static const struct {
        const char* bytes;
        Encoding encoding;
    } kMarks[] = {{"\xEF\xBB\xBF", Encoding::Bytes},
                  {"\xFF\xFE", Encoding::Utf16Le},
                  {"\xFE\xFF", Encoding::Utf16Be}};
    using Traits = std::istream::traits_type;
    encoding_ = Encoding::Bytes;
    const auto first = input_.get();
    if (first == Traits::eof())
        return;
    unread_ += Traits::to_char_type(first);
    for (const auto& mark : kMarks) {
        const std::string wanted = mark.bytes;
        if (unread_[0] != wanted[0])
            continue;
        for (auto byte = input_.get(); byte != Traits::eof(); byte = input_.get()) {
            unread_ += Traits::to_char_type(byte);
            if (unread_.size() == wanted.size())
                break;
            if (unread_.back() != wanted[unread_.size() - 1])
                return;
        }
        if (unread_ == wanted) {
            unread_.clear();
            encoding_ = mark.encoding;
        }
        return;
    }
}

std::optional<char32_t> ScriptReader::NextUnit16() {
    const int first = NextByte();
    const int second = first < 0 ? -1 : NextByte();
    if (second < 0)
        return first < 0 ? std::nullopt : std::optional<char32_t>(kReplacement);
    return static_cast<char32_t>(encoding_ == Encoding::Utf16Le ? second << 8 | first
                                                                : first << 8 | second);
}

// A byte as it is, or a UTF-16 character (a broken surrogate pair as U+FFFD).
std::optional<char32_t> ScriptReader::NextCharacter() {
    if (encoding_ == Encoding::Bytes) {
        const int byte = NextByte();
        return byte < 0 ? std::nullopt : std::optional<char32_t>(static_cast<char32_t>(byte));
    }
    const auto unit = NextUnit16();
    if (!unit || *unit < 0xD800 || *unit > 0xDFFF)
        return unit;
    const auto low = *unit < 0xDC00 ? NextUnit16() : std::nullopt;
    if (!low || *low < 0xDC00 || *low > 0xDFFF)
        return kReplacement;
    return 0x10000 + ((*unit - 0xD800) << 10) + (*low - 0xDC00);
}

void ScriptReader::Append(std::string& line, char32_t character) const {
    if (encoding_ == Encoding::Bytes)
        line += static_cast<char>(character);
    else
        AppendUtf8(line, character);
}

ScriptReader::Status ScriptReader::Next(std::string& line) {
    line.clear();
    if (stopped_)
        return Status::End;
    if (encoding_ == Encoding::Unknown)
        ReadMark();
    bool any = false;
    for (auto character = NextCharacter(); character; character = NextCharacter()) {
        any = true;
        if (*character == '\n')
            break;
        Append(line, *character);
        if (line.size() > kMaxCommandLine) {
            stopped_ = true;
            return Status::TooLong;
        }
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return any ? Status::Line : Status::End;
}

std::string Lowered(std::string word) {
    for (auto& c : word)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return word;
}

} // namespace ftp
