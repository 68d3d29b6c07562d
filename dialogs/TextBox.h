#pragma once
// A multi-line text box whose Text reads back exactly what was set. Qt's
// document turns CR LF line breaks into its own, so the text is kept beside
// the shown copy; the box is locked, so the two never part.
#include <QPlainTextEdit>
#include <QString>

class TextBox : public QPlainTextEdit {
public:
    explicit TextBox(QWidget* container) : QPlainTextEdit(container) {}

    void setText(const QString& text) {
        text_ = text;
        setPlainText(text);
    }
    const QString& Text() const { return text_; }

private:
    QString text_;
};
