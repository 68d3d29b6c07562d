// The client with its transcript window: the transfers run on a worker so
// the window stays live; the window shows the transcript and the progress
// as they grow, passes a Cancel on, and decides when the program ends.
#include "ftp/WindowRun.h"

#include <QApplication>
#include <QMetaObject>
#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "ProjectSettings.h"
#include "SendNotice.h"
#include "TranscriptWindow.h"
#include "ftp/Client.h"
#include "ui/Diagnostics.h"

extern "C" __attribute__((visibility("default"))) int
wavecrest_ftp_run_with_window(int argc, char** argv, int mode) {
    platform::KeepDiagnosticsQuiet();
    QApplication application(argc, argv);
    // The window belongs to the program's desktop entry, whose window class it carries.
    QApplication::setApplicationName(settings::kTitle);
    QGuiApplication::setDesktopFileName(settings::kDesktopId);
    QString title = "ftp";
    for (int i = 1; i < argc; ++i)
        title += QString(" ") + QString::fromLocal8Bit(argv[i]);
    ftp::SendWatch watch;
    ftp::TranscriptWindow window(title, [&watch] { watch.Cancel(); });
    watch.SetListener([&window](const ftp::SendProgress& progress) {
        QMetaObject::invokeMethod(
            &window, [&window, progress] { window.ShowProgress(progress); }, Qt::QueuedConnection);
    });
    ftp::Transcript transcript;
    transcript.SetListener([&window](const std::string& text) {
        QMetaObject::invokeMethod(
            &window, [&window, line = QString::fromStdString(text)] { window.Append(line); },
            Qt::QueuedConnection);
    });
    static_cast<ftp::WindowMode>(mode) == ftp::WindowMode::Minimized ? window.showMinimized()
                                                                     : window.show();
    std::atomic<bool> finished = false;
    int status = 1;
    std::thread worker([&] {
        status =
            ftp::RunClient(std::vector<std::string>(argv + 1, argv + argc), transcript, &watch);
        finished = true;
        QMetaObject::invokeMethod(
            &window,
            [&window, &status, &transcript] {
                ftp::ShowDesktopNotice(ftp::SendNoticeFor(transcript, status == 0));
                window.Finish(status == 0);
            },
            Qt::QueuedConnection);
    });
    application.exec();
    if (!finished) // closed by the user while sending: end here, as a console would
        std::_Exit(1);
    worker.join();
    return status;
}
