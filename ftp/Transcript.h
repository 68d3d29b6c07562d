#pragma once
// What the client tells its user: command echoes, server replies, transfer
// figures. Written to standard output and handed to an optional listener
// (the transcript window). Thread-safe, as the session may run on a worker.
#include <functional>
#include <mutex>
#include <string>

namespace ftp {

class Transcript {
public:
    using Listener = std::function<void(const std::string& text)>;

    void SetListener(Listener listener);
    // Text as it is (no line end added), e.g. a prompt or hash marks.
    void Write(const std::string& text);
    void Line(const std::string& text) { Write(text + "\n"); }
    // Everything written so far.
    std::string Text() const;

private:
    mutable std::mutex mutex_;
    Listener listener_;
    std::string text_;
};

} // namespace ftp
