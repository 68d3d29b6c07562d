#pragma once
// What a session did with the songs, read from its transcript: the transcript
// is the one record of a session the client keeps, and this is the one place
// that reads it back. Without -v a transfer that went writes nothing, so the
// songs are those the script's put and mput commands named (the staged files
// stay after sending), less those the transcript reports as not sent.
#include <string>
#include <vector>

namespace ftp {

struct SendOutcome {
    bool succeeded = false;        // every command of the session succeeded
    std::vector<std::string> sent; // file names, as the user staged them
    std::vector<std::string> unsent;
    std::string failure; // the first failure, in the client's words
};

SendOutcome ReadSendOutcome(const std::string& transcript, bool succeeded);

} // namespace ftp
