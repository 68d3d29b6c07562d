#pragma once
// The client's own small window, in place of the console window the Windows
// client shows: how far the send is (also in the title, so a minimized
// window's taskbar entry tells it), a Cancel button, and the transcript as
// it grows.
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>
#include <functional>

#include "ftp/SendWatch.h"

namespace ftp {

class TranscriptWindow : public QWidget {
    Q_OBJECT
public:
    // `cancel` asks the session to stop; it ends soon after, by Finish.
    TranscriptWindow(const QString& title, std::function<void()> cancel);

    void Append(const QString& text);
    void ShowProgress(const SendProgress& progress);
    // After success the window goes; after a failure it stays for the user,
    // unless the user closed it meanwhile.
    void Finish(bool succeeded);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Cancel();

    QLabel* song_;
    QProgressBar* songBar_;
    QProgressBar* allBar_;
    QPushButton* cancelButton_;
    QPlainTextEdit* text_;
    QString title_;
    std::function<void()> cancel_;
    bool running_ = true;
    bool closeWhenDone_ = false;
};

} // namespace ftp
