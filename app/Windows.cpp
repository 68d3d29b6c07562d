#include "Windows.h"

Windows& windows() {
    static Windows instances;
    return instances;
}

void ShowWindows::ShowMusicUploader() {
    windows().uploader.Show();
}

void ShowWindows::ShowHelp() {
    windows().help.Show();
}

void ShowWindows::ShowMain() {
    const bool loading = !windows().main.isLoaded();
    FrmMain& main = windows().main.Show();
    if (!loading)
        return;
    QObject::connect(&main, &FrmMain::aboutRequested, [] { windows().about.Show(); });
    QObject::connect(&main, &FrmMain::helpRequested, [] { windows().help.Show(); });
    QObject::connect(&main, &FrmMain::uploaderRequested, [] { windows().uploader.Show(); });
}
