#pragma once
// The invisible start-up form: its load handler compares the command-line
// text with the switch table and opens a window or shows a message.

// The show requests the start-up dispatch makes.
class StartActions {
public:
    virtual ~StartActions() = default;
    virtual void ShowMusicUploader() = 0;
    virtual void ShowHelp() = 0;
    virtual void ShowMain() = 0;
};

// The start-up form is never displayed, so no window is made for it; its
// `Command1` ("Close") would end the program at once.
class frmStart {
public:
    explicit frmStart(StartActions& actions) : actions_(actions) {}
    void Form_Load();
    void Command1_Click();

    static const char* const kUsageText;
    static const char* const kUsageTitle;
    static const char* const kJokeText;

private:
    void Dispatch();
    StartActions& actions_;
};
