#pragma once
// Registry export files (.reg), read as the registry editor imports them:
// "Windows Registry Editor Version 5.00" (UTF-16LE with a byte-order mark, or
// 8-bit) and "REGEDIT4" (8-bit text in the ANSI code page, here UTF-8).
//
// Understood lines: [ROOT\key\path] and [-ROOT\key\path] (the key and all
// below it deleted), "name"="text" with the escapes \\ and \", @ for the
// default value, dword:hhhhhhhh, hex:bytes and hex(N):bytes (type words in
// small letters, no blank between a byte and its comma) with "\" at the
// end of a line continuing it, "name"=- (value deleted), comments from ";".
// Roots are written out in full (HKEY_LOCAL_MACHINE...), as the editor needs.
// A line that is none of these is skipped; values under a malformed key line
// are skipped with it. A file without one of the two headers is empty.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace platform::regfile {

// One value as the registry stores it: text types (1, 2, 7) in UTF-16LE,
// a text from "..." with its terminating zero.
struct Value {
    std::string name; // as written, UTF-8; empty for the default value
    std::uint32_t type = 0;
    std::vector<unsigned char> data;
};

struct Key {
    std::string path;                    // as first written, e.g. HKEY_LOCAL_MACHINE\SOFTWARE\Foo
    std::map<std::string, Value> values; // by folded name
};

// The keys of one file. Paths and value names ignore letter case.
// Only the keys named in the file are stored, each once with its whole path;
// the keys above them exist without an entry of their own. So memory stays
// proportional to the file, however deep a key lies.
class Hive {
public:
    // A key named in the file, or one above such a key.
    bool HasKey(const std::string& path) const;
    const Value* FindValue(const std::string& keyPath, const std::string& valueName) const;
    // The keys named in the file, by folded path.
    const std::map<std::string, Key>& Keys() const { return keys_; }

    // Creates the key (the keys above it exist with it); returns the key.
    Key& MakeKey(const std::string& path);
    // Removes the key and every key below it; the key above it stays.
    void DeleteKey(const std::string& path);

private:
    std::map<std::string, Key> keys_; // by folded path
};

// The file's contents; `bytes` as read from disk.
Hive ParseRegFile(std::string_view bytes);

// Letter case folded as key and value names are compared (ASCII letters).
std::string FoldCase(std::string text);

// The data as the ANSI query functions hand it out: text types converted
// from UTF-16LE to the ANSI code page (UTF-8), with a terminating zero added
// where the stored text has none; others unchanged.
std::vector<unsigned char> AnsiData(const Value& value);

// Conversions between UTF-8 and UTF-16; invalid input becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

} // namespace platform::regfile
