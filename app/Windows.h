#pragma once
// The single instances of the program's windows and their show requests.
#include "app/frmStart.h"
#include "dialogs/FrmHelp.h"
#include "dialogs/frmAbout.h"
#include "main_window/FrmMain.h"
#include "ui/Form.h"
#include "uploader/MusicUploader.h"

struct Windows {
    platform::FormSlot<FrmMain> main;
    platform::FormSlot<MusicUploader> uploader;
    platform::FormSlot<FrmHelp> help;
    platform::FormSlot<frmAbout> about;
};

Windows& windows();

// The show requests of the start-up dispatch and of the main window's menu.
class ShowWindows final : public StartActions {
public:
    void ShowMusicUploader() override;
    void ShowHelp() override;
    void ShowMain() override;
};
