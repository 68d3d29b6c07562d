#pragma once
// What a session did with the songs: the files it tried to send, as its
// client recorded them, and the first failure in the client's words.
#include <string>
#include <vector>

#include "ftp/Transcript.h"

namespace ftp {

struct SendOutcome {
    bool succeeded = false;        // every command of the session succeeded
    std::vector<std::string> sent; // file names, as the user staged them
    std::vector<std::string> unsent;
    std::vector<std::string> stopped; // cut off by the user, removed from the server
    std::string failure;              // the first failure, in the client's words
};

SendOutcome ReadSendOutcome(const Transcript& transcript, bool succeeded);

} // namespace ftp
