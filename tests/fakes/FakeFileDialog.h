#pragma once
// An open-file dialog that records the settings it was shown with and gives
// the next queued outcome (a cancel when the queue is empty).
#include "core/FileDialog.h"

#include <deque>
#include <string>
#include <vector>

class FakeFileDialog : public platform::FileDialog {
public:
    using Result = platform::FileDialogResult;
    Result ShowOpen(const platform::FileDialogSettings& settings) override {
        shownWith.push_back(settings);
        if (results.empty())
            return {Result::Cancelled, {}, platform::kDialogCancelled, "Cancel was selected."};
        const Result next = results.front();
        results.pop_front();
        return next;
    }
    void chooseNext(const std::string& path) { results.push_back({Result::Chosen, path, 0, {}}); }
    void failNext(int number, const std::string& description) {
        results.push_back({Result::Failed, {}, number, description});
    }

    std::deque<Result> results;
    std::vector<platform::FileDialogSettings> shownWith;
};
