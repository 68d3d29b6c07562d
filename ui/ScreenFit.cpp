#include "ScreenFit.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace platform {

QMargins FrameOf(const QWidget& window) {
    const QRect frame = window.frameGeometry();
    const QRect inner = window.geometry();
    return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
            frame.bottom() - inner.bottom()};
}

namespace {

QRect availableTo(const QWidget& window) {
    const QScreen* screen = window.screen() ? window.screen() : QApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

} // namespace

QSize RoomOnScreen(const QWidget& window) {
    const QRect available = availableTo(window);
    if (available.isEmpty())
        return QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    return available.marginsRemoved(FrameOf(window)).size();
}

void KeepOnScreen(QWidget& window) {
    const QRect available = availableTo(window);
    const QRect outer(window.pos(), window.size().grownBy(FrameOf(window))); // pos: the frame's
    if (available.isEmpty() || available.contains(outer))
        return;
    const int left = std::min(outer.left(), available.right() - outer.width() + 1);
    const int top = std::min(outer.top(), available.bottom() - outer.height() + 1);
    window.move(std::max(left, available.left()), std::max(top, available.top()));
}

void NaturalPlaces::note(QWidget* control) {
    places_.insert(control, control->geometry());
}

void NaturalPlaces::place(QWidget* control, const QMargins& by) const {
    const QRect natural = places_.value(control);
    control->setGeometry(natural.adjusted(by.left(), by.top(), by.right(), by.bottom()));
}

} // namespace platform
