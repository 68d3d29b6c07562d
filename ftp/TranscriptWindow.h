#pragma once
// The client's own small window: the transcript as it grows, in place of the
// console window the Windows client shows.
#include <QPlainTextEdit>
#include <QWidget>

namespace ftp {

class TranscriptWindow : public QWidget {
    Q_OBJECT
public:
    explicit TranscriptWindow(const QString& title);

    void Append(const QString& text);
    // After success the window goes; after a failure it stays for the user.
    void Finish(bool succeeded);

private:
    QPlainTextEdit* text_;
    QString title_;
};

} // namespace ftp
