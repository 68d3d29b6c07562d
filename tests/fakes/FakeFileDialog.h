#pragma once
// An open-file dialog that records the settings it was shown with and gives
// the next queued outcome (a cancel when the queue is empty).
#include "platform/FileDialog.h"

#include <deque>
#include <string>
#include <vector>

class FakeFileDialog : public platform::FileDialog {
public:
    platform::FileDialogResult ShowOpen(const platform::FileDialogSettings& settings) override {
        shownWith.push_back(settings);
        if (results.empty())
            return Cancel();
        platform::FileDialogResult next = results.front();
        results.pop_front();
        return next;
    }

    void chooseNext(const std::string& path) {
        platform::FileDialogResult chosen;
        chosen.outcome = platform::FileDialogResult::Chosen;
        chosen.fileName = path;
        results.push_back(chosen);
    }
    void cancelNext() { results.push_back(Cancel()); }
    void failNext(int number, const std::string& description) {
        platform::FileDialogResult failed;
        failed.outcome = platform::FileDialogResult::Failed;
        failed.number = number;
        failed.description = description;
        results.push_back(failed);
    }

    std::deque<platform::FileDialogResult> results;
    std::vector<platform::FileDialogSettings> shownWith;

private:
    static platform::FileDialogResult Cancel() {
        platform::FileDialogResult cancelled;
        cancelled.outcome = platform::FileDialogResult::Cancelled;
        cancelled.number = platform::kDialogCancelled;
        cancelled.description = "Cancel was selected.";
        return cancelled;
    }
};
