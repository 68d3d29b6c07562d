#include "frmStart.h"

#include "core/CommandLine.h"
#include "core/FailureHandling.h"
#include "core/MsgBox.h"
#include "core/Services.h"
#include "ui/Form.h"

#include <array>
#include <string>

const char* const frmStart::kUsageText = "Command Line arguments are:\r\n"
                                         "''-MusicUploader'' for just the music uploader\r\n"
                                         "''-?'' for this\r\n"
                                         "''-Help'' for the full help\r\n"
                                         "\r\n"
                                         "You can use ''/'' and ''-'' interchangeably.";
const char* const frmStart::kUsageTitle = "Command Line Arguments";
const char* const frmStart::kJokeText = "HA HA YOU SAID POOP!";

namespace {

enum class Action { Uploader, Usage, Help, Joke, Main };

struct Switch {
    const char* literal;
    Action action;
};

// Tested in this order; a match does not end the sequence. "-Help" is the
// help switch as the usage message writes it; every other text must match
// case for case.
constexpr std::array<Switch, 11> kSwitches{{
    {"-MusicUploader", Action::Uploader},
    {"-?", Action::Usage},
    {"-help", Action::Help},
    {"-poop", Action::Joke},
    {"/MusicUploader", Action::Uploader},
    {"/help", Action::Help},
    {"/?", Action::Usage},
    {"/poop", Action::Joke},
    {"-Help", Action::Help},
    {"/Help", Action::Help},
    {"", Action::Main},
}};

} // namespace

void frmStart::Form_Load() {
    // A failure here ends the dispatch at the failing step; the start-up
    // form goes away in every case.
    platform::RunReported("Starting Wavecrest", [this] { Dispatch(); });
}

void frmStart::Dispatch() {
    auto& services = platform::services();
    for (const Switch& entry : kSwitches) {
        const std::string text = services.commandLine->Text(); // read afresh each time
        if (text != entry.literal)
            continue;
        switch (entry.action) {
        case Action::Uploader:
            actions_.ShowMusicUploader();
            break;
        case Action::Help:
            actions_.ShowHelp();
            break;
        case Action::Main:
            actions_.ShowMain();
            break;
        case Action::Usage:
            services.messageBox->Show(kUsageText, platform::kMbOk, kUsageTitle);
            break;
        case Action::Joke:
            services.messageBox->Show(kJokeText, platform::kMbOk);
            break;
        }
    }
}

void frmStart::Command1_Click() {
    platform::LoadedWindows::EndProgram();
}
