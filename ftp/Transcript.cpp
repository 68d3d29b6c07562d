#include "Transcript.h"

#include <cstdio>

namespace ftp {

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

void Transcript::NoteSend(const std::string& localPath, const std::string& error) {
    std::lock_guard lock(mutex_);
    sends_.push_back({localPath, error});
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

std::vector<Transcript::Send> Transcript::Sends() const {
    std::lock_guard lock(mutex_);
    return sends_;
}

} // namespace ftp
