#pragma once
// A window keeps the size of its layout wherever that fits its screen. Where
// the screen's available area, less the window's frame, is smaller, the
// window is fitted into it and its controls give up room as it says.
#include <QHash>
#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

namespace platform {

// The window's frame, as the window manager has drawn it (none before).
QMargins FrameOf(const QWidget& window);

// The room a window's contents have on its screen: the available area less
// its frame.
QSize RoomOnScreen(const QWidget& window);

// Moves a window whose frame reaches past its screen's available area back
// into it, as far as it can.
void KeepOnScreen(QWidget& window);

// The places the controls have in the window's own layout; a fitted window
// moves and shrinks them from there.
class NaturalPlaces {
public:
    void note(QWidget* control);
    QRect natural(QWidget* control) const { return places_.value(control); }
    // The control's own place, its edges moved by `by` (left, top, right, bottom).
    void place(QWidget* control, const QMargins& by) const;

private:
    QHash<QWidget*, QRect> places_;
};

} // namespace platform
