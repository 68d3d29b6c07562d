// Differential test of our command-line splitter against the system's own
// CommandLineToArgvW: every line of the corpus must split the same way.
//
//   tst_cmdsplit CORPUS [doctest options]
//
// Corpus lines are command lines as they are; "{tab}" stands for a tab and
// "{sp}" for a blank (so trailing blanks survive editors); "#" starts a comment.
#include <windows.h>
// shellapi.h needs windows.h before it.
#include <shellapi.h>

#include <fstream>

#define DOCTEST_CONFIG_IMPLEMENT
#include <doctest/doctest.h>

#include "core/ProcessStarter.h"
#include "system/win32/Win32Text.h"

namespace {

std::string Unescaped(std::string line) {
    for (auto [token, text] : {std::pair{"{tab}", "\t"}, std::pair{"{sp}", " "}})
        for (auto at = line.find(token); at != std::string::npos; at = line.find(token, at))
            line.replace(at, std::string(token).size(), text);
    return line;
}

std::vector<std::string> SystemSplit(const std::string& line) {
    int count = 0;
    wchar_t** words = CommandLineToArgvW(platform::win32::Wide(line).c_str(), &count);
    std::vector<std::string> result;
    for (int i = 0; words && i < count; ++i)
        result.push_back(platform::win32::Utf8(words[i]));
    LocalFree(words);
    return result;
}

const char* corpusPath = "";

TEST_CASE("every corpus line splits as CommandLineToArgvW splits it") {
    std::ifstream corpus(corpusPath, std::ios::binary);
    REQUIRE(corpus.good());
    int lines = 0;
    for (std::string raw; std::getline(corpus, raw);) {
        if (!raw.empty() && raw.back() == '\r')
            raw.pop_back();
        if (raw.empty() || raw.front() == '#')
            continue;
        const std::string line = Unescaped(raw);
        ++lines;
        INFO("line: [", line, "]");
        CHECK(platform::SplitCommandLine(line) == SystemSplit(line));
    }
    CHECK(lines >= 40);
}

TEST_CASE("an empty line names no program, unlike CommandLineToArgvW") {
    // The one designed difference: CommandLineToArgvW answers an empty line
    // with the running program's own path.
    CHECK(platform::SplitCommandLine("").empty());
    CHECK_EQ(SystemSplit("").size(), size_t(1));
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1)
        corpusPath = argv[1];
    return doctest::Context(argc, argv).run();
}
