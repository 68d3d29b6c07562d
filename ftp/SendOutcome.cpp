#include "SendOutcome.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include "Interpreter.h"
#include "LocalFiles.h"

namespace ftp {

namespace {

constexpr const char* kEcho = "ftp> ";
constexpr const char* kNotSent = " was not sent: ";
constexpr const char* kNotFound = ": File not found";

bool IsFailureReply(const std::string& line) {
    return line.size() >= 3 && (line[0] == '4' || line[0] == '5') &&
           std::isdigit(static_cast<unsigned char>(line[1])) &&
           std::isdigit(static_cast<unsigned char>(line[2]));
}

bool IsFailure(const std::string& line) {
    static const char* const kStarts[] = {
        "ftp: connect: ", "Login failed.",        "Not connected.",           "Invalid command.",
        "Usage: ",        "Error opening script", "No reply from the server."};
    return IsFailureReply(line) || line.find(kNotSent) != std::string::npos ||
           line.ends_with(kNotFound) ||
           std::any_of(std::begin(kStarts), std::end(kStarts),
                       [&line](const char* start) { return line.starts_with(start); });
}

// The local files a put or mput names; none for any other command.
std::vector<std::string> SongsOf(const std::string& command) {
    const auto words = SplitWords(command);
    if (words.size() < 2)
        return {};
    std::string name = words.front();
    std::transform(name.begin(), name.end(), name.begin(), ::tolower);
    if (name == "put" || name == "send")
        return {LocalPath(words[1])};
    if (name != "mput")
        return {};
    std::vector<std::string> songs;
    for (std::size_t i = 1; i < words.size(); ++i)
        for (const auto& path : ExpandLocalPattern(words[i]).paths)
            songs.push_back(path);
    return songs;
}

// The local path a per-file failure line names, or an empty text.
std::string SongFailed(const std::string& line) {
    const auto notSent = line.find(kNotSent);
    if (line.starts_with("ftp: ") && notSent != std::string::npos)
        return line.substr(5, notSent - 5);
    if (line.ends_with(kNotFound))
        return line.substr(0, line.size() - std::string(kNotFound).size());
    return {};
}

} // namespace

SendOutcome ReadSendOutcome(const std::string& transcript, bool succeeded) {
    SendOutcome outcome{succeeded, {}, {}, {}};
    std::vector<std::string> songs, unsent, commandSongs;
    std::istringstream lines(transcript);
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with(kEcho)) {
            commandSongs = SongsOf(line.substr(std::string(kEcho).size()));
            songs.insert(songs.end(), commandSongs.begin(), commandSongs.end());
            continue;
        }
        if (!IsFailure(line))
            continue;
        if (outcome.failure.empty())
            outcome.failure = line;
        const std::string song = SongFailed(line);
        if (!song.empty())
            unsent.push_back(song);
        else if (line == "Not connected.")
            unsent.insert(unsent.end(), commandSongs.begin(), commandSongs.end());
    }
    for (const auto& song : songs) {
        const bool failed = std::find(unsent.begin(), unsent.end(), song) != unsent.end();
        (failed ? outcome.unsent : outcome.sent).push_back(BaseName(song));
    }
    return outcome;
}

} // namespace ftp
