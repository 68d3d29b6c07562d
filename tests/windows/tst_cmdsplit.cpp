// Differential test of our command-line splitter against the system's own
// CommandLineToArgvW: every line of the corpus must split the same way.
//
//   tst_cmdsplit CORPUS
//
// Corpus lines are command lines as they are; "{tab}" stands for a tab and
// "{sp}" for a blank (so trailing blanks survive editors); "#" starts a comment.
#include <windows.h>
// shellapi.h needs windows.h before it.
#include <shellapi.h>

#include <fstream>

#include "TestHarness.h"
#include "platform/ProcessStarter.h"
#include "platform/win32/Win32Text.h"

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

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("usage: tst_cmdsplit CORPUS\n");
        return 2;
    }
    std::ifstream corpus(argv[1], std::ios::binary);
    if (!CHECK(corpus.good()))
        return harness::Summary();
    int lines = 0;
    for (std::string raw; std::getline(corpus, raw);) {
        if (!raw.empty() && raw.back() == '\r')
            raw.pop_back();
        if (raw.empty() || raw.front() == '#')
            continue;
        const std::string line = Unescaped(raw);
        ++lines;
        const auto ours = platform::SplitCommandLine(line);
        const auto system = SystemSplit(line);
        if (!harness::Check(ours == system, "SplitCommandLine == CommandLineToArgvW", argv[1], 0,
                            "line:   " + harness::Show(line) + "\n    ours:   " +
                                harness::Show(ours) + "\n    system: " + harness::Show(system)))
            continue;
    }
    CHECK(lines >= 40);
    // The one designed difference: an empty line names no program for us,
    // while CommandLineToArgvW answers with the running program's own path.
    CHECK(platform::SplitCommandLine("").empty());
    CHECK_EQ(SystemSplit("").size(), size_t(1));
    return harness::Summary();
}
