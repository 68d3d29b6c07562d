#include "TranscriptWindow.h"

#include "ui/FrameRole.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLocale>
#include <QMessageBox>
#include <QVBoxLayout>

namespace ftp {

namespace {

// A send that moved nothing this long is waiting for its server, whatever
// its rate was before (the first megabytes only fill the system's buffers).
constexpr int kStalledMs = 3000;
// A song's name is shown up to about this many characters, its middle left out.
constexpr int kNameChars = 60;

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

// Plain text, wrapped, and never widening the window: a name is the
// sender's choice, a server's text the server's.
QLabel* StatusLabel() {
    auto* label = new QLabel;
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    return label;
}

} // namespace

TranscriptWindow::TranscriptWindow(const QString& title, std::function<void()> cancel)
    : status_(StatusLabel()), songBar_(PerMilleBar("This song")), allBar_(PerMilleBar("All songs")),
      button_(new QPushButton("Cancel")), text_(new QPlainTextEdit), title_(title),
      cancel_(std::move(cancel)) {
    platform::AnnounceAsFrame(staticMetaObject);
    setWindowTitle(title_);
    button_->setAccessibleName("Cancel the send");
    connect(button_, &QPushButton::clicked, this, &TranscriptWindow::Press);
    stalled_.setSingleShot(true);
    stalled_.setInterval(kStalledMs);
    connect(&stalled_, &QTimer::timeout, this, &TranscriptWindow::ShowWaiting);
    text_->setReadOnly(true);
    text_->setAccessibleName("Transcript");
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* bars = new QVBoxLayout;
    bars->addWidget(status_);
    bars->addWidget(songBar_);
    bars->addWidget(allBar_);
    auto* top = new QHBoxLayout;
    top->addLayout(bars, 1);
    top->addWidget(button_, 0, Qt::AlignBottom);
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
    if (!running_ || cancelling_)
        return;
    stalled_.start(); // each report is news of a move or of the next song
    const int all = PerMille(progress.allSent, progress.allSize);
    songBar_->setValue(PerMille(progress.songSent, progress.songSize));
    allBar_->setValue(all);
    song_ =
        status_->fontMetrics().elidedText(QString::fromStdString(progress.song), Qt::ElideMiddle,
                                          status_->fontMetrics().averageCharWidth() * kNameChars);
    counted_ = QString("%1% - sending %2 of %3")
                   .arg(all / 10)
                   .arg(progress.songNumber)
                   .arg(progress.songCount);
    status_->setText(song_ + " - " +
                     QLocale().formattedDataSize(static_cast<qint64>(progress.bytesPerSecond)) +
                     "/s" + TimeLeft(progress.allSize - progress.allSent, progress.bytesPerSecond));
    SetTitle(counted_);
}

void TranscriptWindow::ShowWaiting() {
    if (!running_ || cancelling_)
        return;
    status_->setText(song_ + " - waiting for the server...");
    SetTitle(counted_ + ", waiting for the server");
}

// The state leads, so a taskbar entry cut short still shows it.
void TranscriptWindow::SetTitle(const QString& state) {
    const QString title = state.isEmpty() ? title_ : state + " - " + title_;
    if (title != windowTitle()) // each change travels to the desktop's taskbar
        setWindowTitle(title);
}

void TranscriptWindow::Press() {
    running_ ? Cancel() : void(close());
}

void TranscriptWindow::Cancel() {
    if (cancelling_)
        return;
    cancelling_ = true;
    stalled_.stop();
    button_->setEnabled(false);
    status_->setText("Cancelling...");
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

void TranscriptWindow::Finish(SendEnd end, const QString& summary) {
    running_ = false;
    stalled_.stop();
    if (end == SendEnd::Sent || closeWhenDone_) {
        close();
        return;
    }
    status_->setText(summary);
    SetTitle(end == SendEnd::Cancelled ? "Cancelled" : "Failed");
    button_->setText("Close");
    button_->setAccessibleName("Close the window");
    button_->setEnabled(true);
    button_->setFocus(); // where the Cancel the user pressed was
}

} // namespace ftp
