#include "Wavecrest.h"

#include "ProjectSettings.h"
#include "Windows.h"
#include "app/RealServices.h"
#include "core/DesktopSession.h"
#include "core/TerminationSignals.h"
#include "panes/WebEngineSetup.h"
#include "ui/Diagnostics.h"

#include <QApplication>
#include <QIcon>
#include <QPointer>
#include <QSocketNotifier>
#include <cstdio>

namespace {

bool endRequested = false;

// A request from the system to end (logout, kill, Ctrl+C) ends the program
// as Exit does, from the first moment of start-up on.
void endOnTerminationRequest(QApplication& app) {
    const int requests = platform::WatchTerminationRequests();
    if (requests < 0)
        return;
    auto* notifier = new QSocketNotifier(requests, QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [] {
        endRequested = true;
        platform::LoadedWindows::EndProgram();
    });
}

// Windows still open go before the web profile they use.
void deleteRemainingWindows() {
    QList<QPointer<QWidget>> remaining;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (!window->parentWidget())
            remaining.append(window);
    for (const QPointer<QWidget>& window : remaining)
        delete window.data();
}

} // namespace

int RunWavecrest(int argc, char** argv) {
    // Said in one line, where Qt would print several and abort.
    if (!platform::HasDesktopSession()) {
        std::fputs(
            "Wavecrest needs a desktop session: neither DISPLAY nor WAYLAND_DISPLAY is set.\n",
            stderr);
        return 1;
    }
    // The argument text is taken before Qt removes the options it knows.
    platform::InstallRealServices(argc, argv);
    platform::KeepDiagnosticsQuiet();
    platform::PrepareWebEngine();
    QApplication app(argc, argv);
    QApplication::setApplicationName(settings::kTitle);
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(settings::kVersionMajor)
                                            .arg(settings::kVersionMinor)
                                            .arg(settings::kVersionRevision));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/wavecrest.png")));
    // Docks, task bars and media controls show the desktop entry's name and icon.
    QGuiApplication::setDesktopFileName(settings::kDesktopId);
    // The program lives while one of its windows is loaded, whether or not
    // that window has a task bar button.
    QApplication::setQuitOnLastWindowClosed(false);

    endOnTerminationRequest(app);
    ShowWindows actions;
    frmStart start(actions);
    start.Form_Load();
    // The web engine sets signal handlers of its own as it starts: ours again.
    platform::WatchTerminationRequests();
    const int status =
        platform::LoadedWindows::count() == 0 || endRequested ? 0 : QApplication::exec();
    deleteRemainingWindows();
    return status;
}
