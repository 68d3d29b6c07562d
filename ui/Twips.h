#pragma once
// Window layouts are given in twips; Qt works in logical pixels and scales
// those for high DPI itself. 15 twips make one logical pixel.
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QWidget>

namespace platform {

inline constexpr int kTwipsPerPixel = 15;

inline int Twips(int twips) {
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}
inline QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(Twips(left), Twips(top), Twips(width), Twips(height));
}
inline QSize TwipsSize(int width, int height) {
    return QSize(Twips(width), Twips(height));
}

// Places a control in its container by its twips position and size.
inline void PlaceTwips(QWidget* control, int left, int top, int width, int height) {
    control->setGeometry(TwipsRect(left, top, width, height));
}

} // namespace platform
