#pragma once
// What the client tells its user: command echoes, server replies, transfer
// figures. Written to standard output, or only handed to the listener (the
// transcript window) when there is one: a client with a window leaves the
// terminal it inherited quiet. Thread-safe, as the session may run on a worker.
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace ftp {

// What became of a local file the session was to send.
enum class SongOutcome {
    Sent,        // whole, under its name
    AlreadySent, // an earlier client sent it, unchanged since, to the same place
    NotSent,     // `error` says why
    Stopped,     // cut off by the user; nothing of it stays on the server
    PartLeft,    // cut off, and a part of it stays on the server
    LeftOut,     // beside the files sent, but not among those the command named
};

class Transcript {
public:
    using Listener = std::function<void(const std::string& text)>;
    // A local file the session was to send.
    struct Send {
        std::string localPath;
        SongOutcome outcome = SongOutcome::NotSent;
        std::string error; // why, when not sent
    };

    void SetListener(Listener listener);
    // Text as it is (no line end added), e.g. a prompt or hash marks.
    void Write(const std::string& text);
    void Line(const std::string& text) { Write(text + "\n"); }
    // Everything written so far.
    std::string Text() const;

    void NoteSend(const std::string& localPath, SongOutcome outcome, const std::string& error = {});
    // The files tried so far, in order.
    std::vector<Send> Sends() const;

    // A command that failed, in the words the user reads, recorded where it
    // failed (a reply the client recovered from is none): written as a line,
    // or only noted when the line is there already.
    void Failure(const std::string& text) {
        Line(text);
        NoteFailure(text);
    }
    void NoteFailure(const std::string& text);
    // The first of them; empty when none failed.
    std::string FirstFailure() const;

    // The user stopped the session.
    void NoteCancelled();
    bool Cancelled() const;

private:
    mutable std::mutex mutex_;
    Listener listener_;
    std::string text_;
    std::vector<Send> sends_;
    std::string firstFailure_;
    bool cancelled_ = false;
};

// A name as the transcript shows it: control characters written as escapes.
std::string Printable(const std::string& name);

} // namespace ftp
