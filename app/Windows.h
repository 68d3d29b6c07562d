#pragma once
// The single instances of the program's windows and their show requests.
#include "dialogs/FrmHelp.h"
#include "dialogs/frmAbout.h"
#include "main_window/FrmMain.h"
#include "platform/qt/Form.h"
#include "uploader/MusicUploader.h"

struct Windows {
    platform::FormSlot<FrmMain> main;
    platform::FormSlot<MusicUploader> uploader;
    platform::FormSlot<FrmHelp> help;
    platform::FormSlot<frmAbout> about;
};

Windows& windows();
