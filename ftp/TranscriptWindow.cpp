#include "TranscriptWindow.h"

#include <QFontDatabase>
#include <QVBoxLayout>

namespace ftp {

TranscriptWindow::TranscriptWindow(const QString& title)
    : text_(new QPlainTextEdit), title_(title) {
    setWindowTitle(title_);
    text_->setReadOnly(true);
    text_->setAccessibleName("Transcript");
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(text_);
    resize(640, 320);
}

void TranscriptWindow::Append(const QString& text) {
    text_->moveCursor(QTextCursor::End);
    text_->insertPlainText(text);
    text_->ensureCursorVisible();
}

void TranscriptWindow::Finish(bool succeeded) {
    if (succeeded) {
        close();
        return;
    }
    setWindowTitle(title_ + " - failed");
}

} // namespace ftp
