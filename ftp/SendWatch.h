#pragma once
// How far a send is, for a window to show, and the user's wish to stop it:
// reported from the session's thread, asked for from any other (the window,
// a Ctrl+C).
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

namespace ftp {

struct SendProgress {
    std::string song; // the name it gets on the server
    std::size_t songNumber = 0, songCount = 0;
    std::uint64_t songSent = 0, songSize = 0;
    std::uint64_t allSent = 0, allSize = 0;
    double bytesPerSecond = 0; // of the song so far
};

class SendWatch {
public:
    using Listener = std::function<void(const SendProgress&)>;

    void SetListener(Listener listener);
    // What the script is to send, as far as known at its start.
    void Plan(std::size_t songs, std::uint64_t bytes);
    void SongStarted(const std::string& song, std::uint64_t size);
    void Moved(std::uint64_t bytes);

    // Safe in a signal handler.
    void Cancel() {
        cancelledAt_ = std::chrono::steady_clock::now().time_since_epoch().count();
        cancelled_ = true;
    }
    bool Cancelled() const { return cancelled_; }
    std::chrono::steady_clock::time_point CancelledAt() const {
        return std::chrono::steady_clock::time_point(
            std::chrono::steady_clock::duration(cancelledAt_.load()));
    }

private:
    void Report(bool always);

    std::mutex mutex_;
    Listener listener_;
    SendProgress progress_;
    std::chrono::steady_clock::time_point songStarted_, reported_;
    std::atomic<bool> cancelled_ = false;
    std::atomic<std::chrono::steady_clock::rep> cancelledAt_ = 0;
};

} // namespace ftp
