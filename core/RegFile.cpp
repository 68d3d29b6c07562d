#include "RegFile.h"

#include <array>
#include <optional>

#include "core/Blank.h"
#include "core/Registry.h"
#include "core/Utf8.h"

namespace platform::regfile {

namespace {

using Text = std::u16string;
using View = std::u16string_view;

constexpr char16_t kReplacement = 0xFFFD;

constexpr std::array<std::string_view, 6> kRoots = {"HKEY_LOCAL_MACHINE",  "HKEY_CURRENT_USER",
                                                    "HKEY_CLASSES_ROOT",   "HKEY_USERS",
                                                    "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"};

View TrimLeft(View text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    return text;
}

View TrimRight(View text) {
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Nothing but blanks and an optional comment.
bool IsEndOfLine(View rest) {
    rest = TrimLeft(rest);
    return rest.empty() || rest.front() == u';';
}

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// 1 to `maxDigits` hex digits at the start of `text`; advances past them.
std::optional<std::uint32_t> ReadHex(View& text, std::size_t maxDigits) {
    std::uint32_t number = 0;
    std::size_t count = 0;
    while (count < text.size() && HexDigit(text[count]) >= 0) {
        number = number * 16 + static_cast<std::uint32_t>(HexDigit(text[count]));
        if (++count > maxDigits)
            return std::nullopt;
    }
    if (count == 0)
        return std::nullopt;
    text.remove_prefix(count);
    return number;
}

bool IsText(std::uint32_t type) {
    return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

void AppendUtf16Le(std::vector<unsigned char>& data, View text) {
    for (char16_t c : text) {
        data.push_back(static_cast<unsigned char>(c & 0xFF));
        data.push_back(static_cast<unsigned char>(c >> 8));
    }
}

std::string Narrow(View text) {
    return Utf16ToUtf8(text);
}

// ---- The text of the file -------------------------------------------------

Text DecodeFile(std::string_view bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        Text text;
        text.reserve(bytes.size() / 2);
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
            text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                 static_cast<unsigned char>(bytes[i + 1]) << 8));
        return text;
    }
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    return Utf8ToUtf16(bytes);
}

// The lines of a text, one at a time, without their "\r\n" or "\n".
class Lines {
public:
    explicit Lines(View text) : rest_(text) {}

    bool Next(View& line) {
        if (rest_.empty())
            return false;
        const auto end = rest_.find(u'\n');
        line = rest_.substr(0, end);
        rest_.remove_prefix(end == View::npos ? rest_.size() : end + 1);
        if (!line.empty() && line.back() == u'\r')
            line.remove_suffix(1);
        return true;
    }

private:
    View rest_;
};

// ---- Lines ----------------------------------------------------------------

// A quoted text after its opening quote, up to the closing one; `text`
// is advanced past the closing quote. \\ and \" stand for \ and ".
std::optional<Text> ReadQuoted(View& text) {
    Text result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'"') {
            text.remove_prefix(i + 1);
            return result;
        }
        if (c == u'\\' && i + 1 < text.size() && (text[i + 1] == u'\\' || text[i + 1] == u'"')) {
            result.push_back(text[++i]);
            continue;
        }
        result.push_back(c);
    }
    return std::nullopt;
}

// Comma-separated bytes, e.g. "41,00, 42,00"; a trailing comma is allowed.
// As the registry editor reads them, blanks may come before a byte but not
// between a byte and its comma.
std::optional<std::vector<unsigned char>> ReadHexBytes(View text) {
    std::vector<unsigned char> bytes;
    text = TrimLeft(text);
    while (!IsEndOfLine(text)) {
        const auto byte = ReadHex(text, 2);
        if (!byte)
            return std::nullopt;
        bytes.push_back(static_cast<unsigned char>(*byte));
        if (!text.empty() && text.front() == u',')
            text = TrimLeft(text.substr(1));
        else if (!IsEndOfLine(text))
            return std::nullopt;
    }
    return bytes;
}

// The data part after "=": the value, or nothing for a malformed one.
struct ParsedData {
    bool remove = false;
    Value value;
};

std::optional<ParsedData> ReadData(View text, bool ansiFile) {
    ParsedData parsed;
    Value& value = parsed.value;
    if (!text.empty() && text.front() == u'"') {
        text.remove_prefix(1);
        auto content = ReadQuoted(text);
        if (!content || !IsEndOfLine(text))
            return std::nullopt;
        value.type = kRegSz;
        content->push_back(u'\0');
        AppendUtf16Le(value.data, *content);
        return parsed;
    }
    if (!text.empty() && text.front() == u'-' && IsEndOfLine(text.substr(1))) {
        parsed.remove = true;
        return parsed;
    }
    // The type words are written in small letters, as the editor requires.
    if (text.substr(0, 6) == u"dword:") {
        text.remove_prefix(6);
        text = TrimLeft(text);
        const auto number = ReadHex(text, 8);
        if (!number || !IsEndOfLine(text))
            return std::nullopt;
        value.type = kRegDword;
        for (int shift = 0; shift < 32; shift += 8)
            value.data.push_back(static_cast<unsigned char>(*number >> shift));
        return parsed;
    }
    if (text.substr(0, 4) == u"hex:") {
        value.type = kRegBinary;
        text.remove_prefix(4);
    } else if (text.substr(0, 4) == u"hex(") {
        text.remove_prefix(4);
        const auto type = ReadHex(text, 8);
        if (!type || text.size() < 2 || text[0] != u')' || text[1] != u':')
            return std::nullopt;
        value.type = *type;
        text.remove_prefix(2);
    } else {
        return std::nullopt;
    }
    auto bytes = ReadHexBytes(text);
    if (!bytes)
        return std::nullopt;
    if (IsText(value.type) && ansiFile) // 8-bit files give text bytes in the ANSI code page
        AppendUtf16Le(value.data,
                      Utf8ToUtf16({reinterpret_cast<const char*>(bytes->data()), bytes->size()}));
    else
        value.data = std::move(*bytes);
    return parsed;
}

class Parser {
public:
    // `lines` positioned after the header line.
    Parser(Lines lines, bool ansiFile) : lines_(lines), ansi_(ansiFile) {}

    Hive Run() {
        for (View next; lines_.Next(next);) {
            const View line = TrimLeft(next);
            if (line.empty() || line.front() == u';')
                continue;
            if (line.front() == u'[')
                KeyLine(line.substr(1));
            else if (line.front() == u'@' || line.front() == u'"')
                ValueLine(line);
            // anything else is skipped
        }
        return std::move(hive_);
    }

private:
    // "ROOT\path" with a known root written in full; the root is upper-cased.
    static std::optional<std::string> KeyPath(View text) {
        if (!text.empty() && text.back() == u'\\')
            text.remove_suffix(1);
        const auto slash = text.find(u'\\');
        const std::string root = FoldCase(Narrow(text.substr(0, slash)));
        std::string path;
        for (auto name : kRoots)
            if (FoldCase(std::string(name)) == root)
                path = name;
        if (path.empty())
            return std::nullopt;
        if (slash == View::npos)
            return path;
        const std::string below = Narrow(text.substr(slash));
        if (below.size() < 2 || below.back() == '\\' || below.find("\\\\") != std::string::npos)
            return std::nullopt;
        return path + below;
    }

    void KeyLine(View text) {
        current_ = nullptr;
        const auto close = text.rfind(u']');
        if (close == View::npos || close == 0 || IsBlank(text.front()))
            return;
        text = text.substr(0, close);
        const bool remove = text.front() == u'-';
        if (remove)
            text.remove_prefix(1);
        const auto path = KeyPath(text);
        if (!path)
            return;
        if (remove)
            hive_.DeleteKey(*path);
        else
            current_ = &hive_.MakeKey(*path);
    }

    // Hex data with its continuation lines ("\" at the end) joined.
    Text JoinContinued(View data) {
        Text joined(TrimRight(data));
        View next;
        while (!joined.empty() && joined.back() == u'\\' && lines_.Next(next)) {
            joined.pop_back();
            joined += TrimRight(TrimLeft(next));
        }
        return joined;
    }

    void ValueLine(View text) {
        Text name;
        if (text.front() == u'@') {
            text.remove_prefix(1);
        } else {
            text.remove_prefix(1);
            auto quoted = ReadQuoted(text);
            if (!quoted)
                return;
            name = std::move(*quoted);
        }
        text = TrimLeft(text);
        if (text.empty() || text.front() != u'=')
            return;
        text = TrimLeft(text.substr(1));
        const Text joined = text.substr(0, 3) == u"hex" ? JoinContinued(text) : Text(text);
        auto data = ReadData(joined, ansi_);
        if (!data || !current_)
            return;
        const std::string utf8Name = Narrow(name);
        if (data->remove) {
            current_->values.erase(FoldCase(utf8Name));
            return;
        }
        data->value.name = utf8Name;
        current_->values[FoldCase(utf8Name)] = std::move(data->value);
    }

    Lines lines_;
    bool ansi_;
    Key* current_ = nullptr; // the key of the last good key line (map nodes stay put)
    Hive hive_;
};

} // namespace

// ---- Hive -------------------------------------------------------------------

namespace {

// The first stored key below the folded path `folded` (keys below a key sort
// right after it: its path, a backslash, more).
template <class Map> auto FirstBelow(Map& keys, const std::string& folded) {
    const std::string below = folded + '\\';
    const auto first = keys.lower_bound(below);
    const bool isBelow = first != keys.end() && first->first.compare(0, below.size(), below) == 0;
    return isBelow ? first : keys.end();
}

} // namespace

bool Hive::HasKey(const std::string& path) const {
    const std::string folded = FoldCase(path);
    return keys_.count(folded) != 0 || FirstBelow(keys_, folded) != keys_.end();
}

const Value* Hive::FindValue(const std::string& keyPath, const std::string& valueName) const {
    const auto key = keys_.find(FoldCase(keyPath));
    if (key == keys_.end())
        return nullptr;
    const auto found = key->second.values.find(FoldCase(valueName));
    return found == key->second.values.end() ? nullptr : &found->second;
}

Key& Hive::MakeKey(const std::string& path) {
    auto [entry, added] = keys_.try_emplace(FoldCase(path));
    if (added)
        entry->second.path = path;
    return entry->second;
}

void Hive::DeleteKey(const std::string& path) {
    if (!HasKey(path))
        return;
    const std::string folded = FoldCase(path);
    keys_.erase(folded);
    const std::string below = folded + '\\';
    auto last = FirstBelow(keys_, folded);
    const auto first = last;
    while (last != keys_.end() && last->first.compare(0, below.size(), below) == 0)
        ++last;
    keys_.erase(first, last);
    // The key above existed with this one and outlives it.
    const auto slash = path.rfind('\\');
    if (slash != std::string::npos)
        MakeKey(path.substr(0, slash));
}

// ---- Files ------------------------------------------------------------------

Hive ParseRegFile(std::string_view bytes) {
    const Text text = DecodeFile(bytes);
    Lines lines(text);
    View first;
    if (!lines.Next(first))
        return {};
    const View header = TrimRight(TrimLeft(first));
    if (header == u"REGEDIT4")
        return Parser(lines, true).Run();
    if (header == u"Windows Registry Editor Version 5.00")
        return Parser(lines, false).Run();
    return {};
}

// ---- Text -------------------------------------------------------------------

std::string FoldCase(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::vector<unsigned char> AnsiData(const Value& value) {
    if (!IsText(value.type))
        return value.data;
    Text text;
    for (std::size_t i = 0; i + 1 < value.data.size(); i += 2)
        text.push_back(static_cast<char16_t>(value.data[i] | value.data[i + 1] << 8));
    std::string ansi = Utf16ToUtf8(text);
    // Text stored without its terminating zero gets one, as Windows adds it.
    if (!ansi.empty() && ansi.back() != '\0')
        ansi.push_back('\0');
    return {ansi.begin(), ansi.end()};
}

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string result;
    result.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const char32_t code = NextCodePoint(text, at).value_or(kReplacement);
        if (code >= 0x10000) {
            result.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
            result.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        } else {
            result.push_back(static_cast<char16_t>(code));
        }
    }
    return result;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t code = text[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF)
            code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
        else if (code >= 0xD800 && code <= 0xDFFF)
            code = kReplacement;
        if (code < 0x80) {
            result.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            result.push_back(static_cast<char>(0xC0 | code >> 6));
            result.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            result.push_back(static_cast<char>(0xE0 | code >> 12));
            result.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
            result.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            result.push_back(static_cast<char>(0xF0 | code >> 18));
            result.push_back(static_cast<char>(0x80 | (code >> 12 & 0x3F)));
            result.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
            result.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return result;
}

} // namespace platform::regfile
