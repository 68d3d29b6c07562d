#include "Wavecrest.h"

#include "ProjectSettings.h"
#include "Windows.h"
#include "frmStart.h"
#include "platform/TerminationSignals.h"
#include "platform/qt/RealServices.h"
#include "platform/qt/WebEngineBrowser.h"

#include <QApplication>
#include <QIcon>
#include <QPointer>
#include <QSocketNotifier>

namespace {

class ShowWindows : public StartActions {
public:
    void ShowMusicUploader() override { windows().uploader.Show(); }
    void ShowHelp() override { windows().help.Show(); }
    void ShowMain() override { windows().main.Show(); }
};

// A request from the system to end (logout, kill) ends the program as Exit
// does. Watched once the web engine is up, so its own handlers don't replace ours.
void endOnTerminationRequest(QApplication& app) {
    const int requests = platform::WatchTerminationRequests();
    if (requests < 0)
        return;
    auto* notifier = new QSocketNotifier(requests, QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app,
                     [] { platform::LoadedWindows::EndProgram(); });
}

} // namespace

int RunWavecrest(int argc, char** argv) {
    // The argument text is taken before Qt removes the options it knows.
    platform::InstallRealServices(argc, argv);
    platform::PrepareWebEngine();
    QApplication app(argc, argv);
    QApplication::setApplicationName(settings::kTitle);
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(settings::kVersionMajor)
                                            .arg(settings::kVersionMinor)
                                            .arg(settings::kVersionRevision));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/wavecrest.png")));
    // The program lives while one of its windows is loaded, whether or not
    // that window has a task bar button.
    QApplication::setQuitOnLastWindowClosed(false);

    ShowWindows actions;
    frmStart start(actions);
    start.Form_Load();
    if (platform::LoadedWindows::count() == 0)
        return 0;
    endOnTerminationRequest(app);
    const int status = QApplication::exec();
    // Windows still open go before the web profile they use.
    QList<QPointer<QWidget>> remaining;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (!window->parentWidget())
            remaining.append(window);
    for (const QPointer<QWidget>& window : remaining)
        delete window.data();
    return status;
}
