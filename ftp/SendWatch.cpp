#include "SendWatch.h"

#include <algorithm>

namespace ftp {

namespace {

// A display needs no more; more would cost the send itself.
constexpr auto kReportInterval = std::chrono::milliseconds(250);

} // namespace

void SendWatch::SetListener(Listener listener) {
    std::lock_guard lock(mutex_);
    listener_ = std::move(listener);
}

void SendWatch::Plan(std::size_t songs, std::uint64_t bytes) {
    std::lock_guard lock(mutex_);
    progress_.songCount = songs;
    progress_.allSize = bytes;
}

void SendWatch::SongStarted(const std::string& song, std::uint64_t size) {
    std::lock_guard lock(mutex_);
    progress_.song = song;
    progress_.songNumber += 1;
    // A song the script's start did not know of (it appeared later, or the
    // plan passed its bound) grows the plan.
    progress_.songCount = std::max(progress_.songCount, progress_.songNumber);
    progress_.allSize = std::max(progress_.allSize, progress_.allSent + size);
    progress_.songSent = 0;
    progress_.songSize = size;
    progress_.bytesPerSecond = 0;
    songStarted_ = std::chrono::steady_clock::now();
    Report(true);
}

void SendWatch::Moved(std::uint64_t bytes) {
    std::lock_guard lock(mutex_);
    progress_.songSent += bytes;
    progress_.allSent += bytes;
    progress_.allSize = std::max(progress_.allSize, progress_.allSent);
    Report(progress_.songSent >= progress_.songSize);
}

void SendWatch::Report(bool always) {
    const auto now = std::chrono::steady_clock::now();
    if (!listener_ || (!always && now - reported_ < kReportInterval))
        return;
    reported_ = now;
    const double seconds = std::chrono::duration<double>(now - songStarted_).count();
    progress_.bytesPerSecond = seconds > 0 ? static_cast<double>(progress_.songSent) / seconds : 0;
    listener_(progress_);
}

} // namespace ftp
