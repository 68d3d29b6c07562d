#pragma once
// What a session did with the songs: the files it was to send, as its
// client recorded them, and the first failure in the client's words.
#include <string>
#include <vector>

#include "ftp/Transcript.h"

namespace ftp {

struct SendOutcome {
    bool succeeded = false;        // every command of the session succeeded
    bool cancelled = false;        // the user stopped the send
    std::vector<std::string> sent; // file names, as the user staged them
    std::vector<std::string> unsent;
    std::vector<std::string> stopped;     // cut off by the user, nothing of them left
    std::vector<std::string> partLeft;    // cut off, a part of each left on the server
    std::vector<std::string> alreadySent; // by an earlier send since they were staged
    std::vector<std::string> leftOut;     // staged, but not songs the script sends (not .mp3)
    std::string failure;                  // the first failure, in the client's words
};

SendOutcome ReadSendOutcome(const Transcript& transcript, bool succeeded);

} // namespace ftp
