#pragma once
// A tiny test harness for the programs that run under Windows (or Wine),
// where Qt's test library is not available. Prints each failure and a
// summary "N passed, N failed"; the exit code is 1 when anything failed.
#include <cstdio>
#include <string>
#include <vector>

namespace harness {

// Values as the failure report shows them; texts in brackets, with control
// characters and non-ASCII bytes as \xNN.
inline std::string Show(const std::string& text) {
    std::string shown = "[";
    for (unsigned char c : text) {
        if (c < 0x20 || c >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            shown += hex;
        } else {
            shown += static_cast<char>(c);
        }
    }
    return shown + "]";
}
inline std::string Show(const char* text) {
    return Show(std::string(text));
}
inline std::string Show(bool value) {
    return value ? "true" : "false";
}
inline std::string Show(long long value) {
    return std::to_string(value);
}
inline std::string Show(long value) {
    return std::to_string(value);
}
inline std::string Show(int value) {
    return std::to_string(value);
}
inline std::string Show(unsigned long value) {
    return std::to_string(value);
}
inline std::string Show(unsigned value) {
    return std::to_string(value);
}
inline std::string Show(unsigned long long value) {
    return std::to_string(value);
}
inline std::string Show(const std::vector<std::string>& words) {
    std::string shown;
    for (const auto& word : words)
        shown += (shown.empty() ? "" : " ") + Show(word);
    return "{" + shown + "}";
}

struct Counts {
    int passed = 0;
    int failed = 0;
};

inline Counts& counts() {
    static Counts c;
    return c;
}

inline bool Check(bool ok, const char* what, const char* file, int line,
                  const std::string& detail = {}) {
    if (ok) {
        ++counts().passed;
    } else {
        ++counts().failed;
        std::printf("FAIL %s:%d: %s%s%s\n", file, line, what, detail.empty() ? "" : "\n    ",
                    detail.c_str());
    }
    return ok;
}

template <typename A, typename B>
bool CheckEqual(const A& actual, const B& expected, const char* what, const char* file, int line) {
    if (actual == expected)
        return Check(true, what, file, line);
    return Check(false, what, file, line,
                 "actual:   " + Show(actual) + "\n    expected: " + Show(expected));
}

inline int Summary() {
    std::printf("%d passed, %d failed\n", counts().passed, counts().failed);
    std::fflush(stdout);
    return counts().failed == 0 ? 0 : 1;
}

} // namespace harness

#define CHECK(cond) ::harness::Check((cond), #cond, __FILE__, __LINE__)
#define CHECK_EQ(actual, expected)                                                                 \
    ::harness::CheckEqual((actual), (expected), #actual " == " #expected, __FILE__, __LINE__)
