// The client with its transcript window: the transfers run on a worker so
// the window stays live; the window shows the transcript and the progress
// as they grow, passes a Cancel on, and decides when the program ends.
#include "ftp/WindowRun.h"

#include <QApplication>
#include <QIcon>
#include <QMetaObject>
#include <QTimer>
#include <atomic>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ProjectSettings.h"
#include "SendNotice.h"
#include "TranscriptWindow.h"
#include "ftp/Client.h"
#include "ui/Diagnostics.h"

namespace {

// What a listener looks for among the desktop's windows.
constexpr const char* kWindowTitle = "Sending songs to the show";
// A Cancel ends the window's wait this soon, whatever the server does. The
// session gives itself 1.5 s after a cancel to clean up; this is the bound
// for a session that does not keep that.
constexpr int kCancelBoundMs = 1900;

class WindowedSession {
public:
    explicit WindowedSession(std::vector<std::string> arguments)
        : arguments_(std::move(arguments)), window_(kWindowTitle, [this] { Cancel(); }) {
        watch_.SetListener([this](const ftp::SendProgress& progress) {
            OnWindow([this, progress] {
                going_ = progress;
                window_.ShowProgress(progress);
            });
        });
        transcript_.SetListener([this](const std::string& text) {
            OnWindow([this, line = QString::fromStdString(text)] { window_.Append(line); });
        });
    }

    // The session's exit status, once the window has gone.
    int Run(ftp::WindowMode mode) {
        mode == ftp::WindowMode::Minimized ? window_.showMinimized() : window_.show();
        std::thread worker([this] {
            status_ = ftp::RunClient(arguments_, transcript_, &watch_);
            ended_ = true;
            OnWindow([this] { Ended(); });
        });
        QApplication::exec();
        if (!ended_) { // a session that did not stop in time does not hold the program
            worker.detach();
            std::_Exit(1);
        }
        worker.join();
        return status_;
    }

private:
    template <typename Call> void OnWindow(Call call) {
        QMetaObject::invokeMethod(&window_, std::move(call), Qt::QueuedConnection);
    }

    void Cancel() {
        watch_.Cancel();
        QTimer::singleShot(kCancelBoundMs, &window_, [this] { GiveUp(); });
    }

    void Ended() {
        const auto outcome = ftp::ReadSendOutcome(transcript_, status_ == 0);
        if (status_ == 0) {
            ftp::ShowDesktopNotice(ftp::ComposeSendNotice(outcome));
            window_.Finish(ftp::SendEnd::Sent);
        } else if (watch_.Cancelled()) {
            Tell(ftp::ComposeCancelNotice(outcome), ftp::SendEnd::Cancelled);
        } else {
            Tell(ftp::ComposeSendNotice(outcome), ftp::SendEnd::Failed);
        }
    }

    // The session did not stop in time: told as far as known, and ended
    // with the program once the desktop has the notice.
    void GiveUp() {
        if (ended_)
            return;
        const auto notice = ftp::ComposeCancelNotice(ftp::ReadSendOutcome(transcript_, false),
                                                     going_ ? &*going_ : nullptr);
        window_.Finish(ftp::SendEnd::Cancelled, Summary(notice));
        if (ftp::ShowDesktopNotice(notice))
            std::_Exit(1);
    }

    // The window stays with the outcome; the notice points to it.
    void Tell(ftp::DesktopNotice notice, ftp::SendEnd end) {
        window_.Finish(end, Summary(notice));
        notice.body += "\nThe transcript window is open for the details.";
        ftp::ShowDesktopNotice(notice);
    }

    static QString Summary(const ftp::DesktopNotice& notice) {
        return QString::fromStdString(notice.title + "\n" + notice.body);
    }

    std::vector<std::string> arguments_;
    ftp::SendWatch watch_;
    ftp::Transcript transcript_;
    ftp::TranscriptWindow window_;
    std::optional<ftp::SendProgress> going_; // the last progress shown
    std::atomic<bool> ended_ = false;
    int status_ = 1;
};

} // namespace

extern "C" __attribute__((visibility("default"))) int
wavecrest_ftp_run_with_window(int argc, char** argv, int mode) {
    platform::KeepDiagnosticsQuiet();
    QApplication application(argc, argv);
    // The window belongs to the program's desktop entry, whose window class
    // it carries, and shows the program's icon.
    QApplication::setApplicationName(settings::kTitle);
    QGuiApplication::setDesktopFileName(settings::kDesktopId);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/wavecrest.png")));
    WindowedSession session(std::vector<std::string>(argv + 1, argv + argc));
    return session.Run(static_cast<ftp::WindowMode>(mode));
}
