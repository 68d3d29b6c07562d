#pragma once
// The client's own small window, in place of the console window the Windows
// client shows: how far the send is (also in the title, so a minimized
// window's taskbar entry tells it), a Cancel button, and the transcript as
// it grows. Names and server texts are shown as they are, never as markup.
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "ftp/SendWatch.h"

namespace ftp {

// How a session ended, as the window tells it.
enum class SendEnd { Sent, Failed, Cancelled };

class TranscriptWindow : public QWidget {
    Q_OBJECT
public:
    // `title` names the window; `cancel` asks the session to stop, which
    // ends soon after, by Finish.
    TranscriptWindow(const QString& title, std::function<void()> cancel);

    void Append(const QString& text);
    void ShowProgress(const SendProgress& progress);
    // After a send the window goes; after a failure or a cancel it stays with
    // `summary` and a Close button, unless the user closed it meanwhile.
    void Finish(SendEnd end, const QString& summary = {});

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Press();
    void Cancel();
    void ShowWaiting();
    void SetTitle(const QString& state);

    QLabel* status_;
    QProgressBar* songBar_;
    QProgressBar* allBar_;
    QPushButton* button_; // Cancel while sending, then Close
    QPlainTextEdit* text_;
    QTimer stalled_; // runs out when a send has moved nothing for a while
    QString title_;
    QString song_;    // the song going, as shown
    QString counted_; // "NN% - sending N of M"
    std::function<void()> cancel_;
    bool running_ = true;
    bool cancelling_ = false;
    bool closeWhenDone_ = false;
};

} // namespace ftp
