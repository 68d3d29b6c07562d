#pragma once
// Reading UTF-8 one code point at a time, for the file names and registry
// texts that the program compares and converts.
#include <optional>
#include <string_view>

namespace platform {

// The code point that starts at `at`, and `at` moved past it. Bytes that are
// no well-formed UTF-8 there (a stray or cut-off sequence, an overlong form,
// a surrogate) give nothing, and `at` moves on by one byte: each caller
// decides what such a byte stands for.
std::optional<char32_t> NextCodePoint(std::string_view text, std::size_t& at);

} // namespace platform
