#pragma once
// What the desktop notice says when a session ends: on success how many songs
// went and which, on failure what failed, for which songs, and where the
// details are.
#include <string>

#include "DesktopNotice.h"
#include "SendOutcome.h"

namespace ftp {

DesktopNotice ComposeSendNotice(const SendOutcome& outcome);

// The notice for a session whose transcript and result are given.
inline DesktopNotice SendNoticeFor(const Transcript& transcript, bool succeeded) {
    return ComposeSendNotice(ReadSendOutcome(transcript, succeeded));
}

} // namespace ftp
