// ftp.exe: a command-line FTP script client with the Windows client's
// switches and commands, so the same "-s:" script works on every system.
#include <QApplication>
#include <QMetaObject>
#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "Client.h"
#include "SendNotice.h"
#include "TranscriptWindow.h"
#include "platform/ProcessStarter.h"

namespace {

std::vector<std::string> Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

// The transfers run on a worker so the window stays live; the window shows
// the transcript as it grows and decides when the program ends.
int RunWithWindow(int argc, char** argv, ftp::WindowMode mode) {
    QApplication application(argc, argv);
    QString title = "ftp";
    for (int i = 1; i < argc; ++i)
        title += QString(" ") + QString::fromLocal8Bit(argv[i]);
    ftp::TranscriptWindow window(title);
    ftp::Transcript transcript;
    transcript.SetListener([&window](const std::string& text) {
        QMetaObject::invokeMethod(
            &window, [&window, line = QString::fromStdString(text)] { window.Append(line); },
            Qt::QueuedConnection);
    });
    mode == ftp::WindowMode::Minimized ? window.showMinimized() : window.show();

    std::atomic<bool> finished = false;
    int status = 1;
    std::thread worker([&] {
        status = ftp::RunClient(Arguments(argc, argv), transcript);
        finished = true;
        QMetaObject::invokeMethod(
            &window,
            [&window, &status, &transcript] {
                ftp::ShowDesktopNotice(ftp::SendNoticeFor(transcript.Text(), status == 0));
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

} // namespace

int main(int argc, char** argv) {
    const auto mode =
        ftp::ChooseWindowMode(std::getenv(platform::kShowWindowVariable), std::getenv("DISPLAY"),
                              std::getenv("WAYLAND_DISPLAY"), std::getenv("QT_QPA_PLATFORM"));
    if (mode == ftp::WindowMode::None) {
        ftp::Transcript transcript;
        return ftp::RunClient(Arguments(argc, argv), transcript);
    }
    return RunWithWindow(argc, argv, mode);
}
