#include "Transcript.h"

#include <cstdio>

namespace ftp {

std::string Printable(const std::string& name) {
    std::string shown;
    for (unsigned char c : name) {
        if (c >= 0x20 && c != 0x7f) {
            shown += static_cast<char>(c);
            continue;
        }
        char escape[8];
        std::snprintf(escape, sizeof escape, "\\x%02X", c);
        shown += c == '\r' ? "\\r" : c == '\n' ? "\\n" : c == '\t' ? "\\t" : escape;
    }
    return shown;
}

void Transcript::SetListener(Listener listener) {
    std::lock_guard lock(mutex_);
    listener_ = std::move(listener);
}

void Transcript::Write(const std::string& text) {
    std::lock_guard lock(mutex_);
    text_ += text;
    if (listener_) {
        listener_(text);
        return;
    }
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

std::string Transcript::Text() const {
    std::lock_guard lock(mutex_);
    return text_;
}

void Transcript::NoteSend(const std::string& localPath, SongOutcome outcome,
                          const std::string& error) {
    std::lock_guard lock(mutex_);
    sends_.push_back({localPath, outcome, error});
}

void Transcript::NoteFailure(const std::string& text) {
    std::lock_guard lock(mutex_);
    if (firstFailure_.empty())
        firstFailure_ = text;
}

std::string Transcript::FirstFailure() const {
    std::lock_guard lock(mutex_);
    return firstFailure_;
}

void Transcript::NoteCancelled() {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
}

bool Transcript::Cancelled() const {
    std::lock_guard lock(mutex_);
    return cancelled_;
}

std::vector<Transcript::Send> Transcript::Sends() const {
    std::lock_guard lock(mutex_);
    return sends_;
}

} // namespace ftp
