#pragma once
// A message box that records what it was asked to show and answers with the
// next queued button code (the default button when the queue is empty).
#include "core/MsgBox.h"

#include <deque>
#include <string>
#include <vector>

struct ShownMessage {
    std::string text;
    int style;
    std::string title;
};

class FakeMsgBox : public platform::MsgBox {
public:
    using platform::MsgBox::Show;
    int Show(const std::string& text, int style, const std::string& title) override {
        shown.push_back({text, style, title});
        if (answers.empty())
            return platform::MsgBox::Show(text, style, title);
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void setNextAnswer(int code) { answers.push_back(code); }

    std::deque<int> answers;
    std::vector<ShownMessage> shown;
};
