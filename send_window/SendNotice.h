#pragma once
// What the desktop notice says when a session ends: on success how many songs
// went and which, on failure what failed, for which songs, and where the
// details are; after the user's Cancel, that it was cancelled and what arrived.
#include <string>

#include "DesktopNotice.h"
#include "SendOutcome.h"
#include "ftp/SendWatch.h"

namespace ftp {

DesktopNotice ComposeSendNotice(const SendOutcome& outcome);

// A send the user cancelled. `unsettled`, when given, is where a session was
// last seen that did not end in time: what became of that song on the server
// is not known, and the songs after it were not tried.
DesktopNotice ComposeCancelNotice(const SendOutcome& outcome,
                                  const SendProgress* unsettled = nullptr);

// The notice for a session whose transcript and result are given.
inline DesktopNotice SendNoticeFor(const Transcript& transcript, bool succeeded) {
    return ComposeSendNotice(ReadSendOutcome(transcript, succeeded));
}

} // namespace ftp
