#include "SendOutcome.h"

#include "ftp/LocalFiles.h"

namespace ftp {

SendOutcome ReadSendOutcome(const Transcript& transcript, bool succeeded) {
    SendOutcome outcome{succeeded, {}, {}, {}, transcript.FirstFailure()};
    for (const auto& send : transcript.Sends())
        (send.error.empty()             ? outcome.sent
         : send.error == kStoppedByUser ? outcome.stopped
                                        : outcome.unsent)
            .push_back(BaseName(send.localPath));
    return outcome;
}

} // namespace ftp
