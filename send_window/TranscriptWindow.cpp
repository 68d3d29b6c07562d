#include "TranscriptWindow.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLocale>
#include <QMessageBox>
#include <QVBoxLayout>

namespace ftp {

namespace {

// Bars count in per mille: a byte count passes what an int holds.
int PerMille(std::uint64_t done, std::uint64_t whole) {
    return whole == 0 ? 1000
                      : static_cast<int>(std::min<std::uint64_t>(done, whole) * 1000 / whole);
}

QString TimeLeft(std::uint64_t left, double bytesPerSecond) {
    if (bytesPerSecond <= 0)
        return {};
    const auto seconds = static_cast<qint64>(static_cast<double>(left) / bytesPerSecond);
    return QString(", %1:%2 left").arg(seconds / 60).arg(seconds % 60, 2, 10, QChar('0'));
}

QProgressBar* PerMilleBar(const QString& name) {
    auto* bar = new QProgressBar;
    bar->setFormat(name + ": %p%");
    bar->setRange(0, 1000);
    bar->setValue(0);
    bar->setAccessibleName(name);
    return bar;
}

} // namespace

TranscriptWindow::TranscriptWindow(const QString& title, std::function<void()> cancel)
    : song_(new QLabel), songBar_(PerMilleBar("This song")), allBar_(PerMilleBar("All songs")),
      cancelButton_(new QPushButton("Cancel")), text_(new QPlainTextEdit), title_(title),
      cancel_(std::move(cancel)) {
    setWindowTitle(title_);
    cancelButton_->setAccessibleName("Cancel the send");
    connect(cancelButton_, &QPushButton::clicked, this, &TranscriptWindow::Cancel);
    text_->setReadOnly(true);
    text_->setAccessibleName("Transcript");
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* bars = new QVBoxLayout;
    bars->addWidget(song_);
    bars->addWidget(songBar_);
    bars->addWidget(allBar_);
    auto* top = new QHBoxLayout;
    top->addLayout(bars, 1);
    top->addWidget(cancelButton_, 0, Qt::AlignBottom);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(text_, 1);
    resize(640, 400);
}

void TranscriptWindow::Append(const QString& text) {
    text_->moveCursor(QTextCursor::End);
    text_->insertPlainText(text);
    text_->ensureCursorVisible();
}

void TranscriptWindow::ShowProgress(const SendProgress& progress) {
    if (!running_)
        return;
    const int all = PerMille(progress.allSent, progress.allSize);
    songBar_->setValue(PerMille(progress.songSent, progress.songSize));
    allBar_->setValue(all);
    const QLocale locale;
    song_->setText(QString::fromStdString(progress.song) + " - " +
                   locale.formattedDataSize(static_cast<qint64>(progress.bytesPerSecond)) + "/s" +
                   TimeLeft(progress.allSize - progress.allSent, progress.bytesPerSecond));
    const QString title = QString("%1% - sending %2 of %3 - %4")
                              .arg(all / 10)
                              .arg(progress.songNumber)
                              .arg(progress.songCount)
                              .arg(title_);
    if (title != windowTitle()) // each change travels to the desktop's taskbar
        setWindowTitle(title);
}

void TranscriptWindow::Cancel() {
    cancelButton_->setEnabled(false);
    song_->setText("Cancelling...");
    cancel_();
}

// Closing a window that still sends asks first, as the send may be wanted.
void TranscriptWindow::closeEvent(QCloseEvent* event) {
    if (!running_)
        return event->accept();
    event->ignore();
    if (QMessageBox::question(this, title_, "Cancel the running send?") != QMessageBox::Yes)
        return;
    closeWhenDone_ = true;
    Cancel();
}

void TranscriptWindow::Finish(bool succeeded) {
    running_ = false;
    cancelButton_->setEnabled(false);
    if (succeeded || closeWhenDone_) {
        close();
        return;
    }
    setWindowTitle(title_ + " - failed");
}

} // namespace ftp
