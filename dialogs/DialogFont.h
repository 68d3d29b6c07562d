#pragma once
// The dialogs' layouts are measured for an 8-point dialog font: with it the
// texts fit their boxes as laid out.
#include <QFont>
#include <QWidget>

inline constexpr int kDialogFontPoints = 8;

inline void UseDialogFont(QWidget& window) {
    QFont font = window.font();
    font.setPointSize(kDialogFontPoints);
    window.setFont(font);
}
