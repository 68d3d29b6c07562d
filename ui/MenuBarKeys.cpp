#include "MenuBarKeys.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QProxyStyle>
#include <QShortcut>

namespace platform {

namespace {

// Qt's menu bar has the keyboard mode; the style decides whether a lone Alt
// enters it, and some desktops' styles say no. Over the style the program
// runs with (the desktop's, or the one asked for), the bar says yes.
class AltReachesMenuBar final : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* answer) const override {
        if (hint == SH_MenuBar_AltKeyNavigation)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, answer);
    }
};

// F10 is a lone Alt to the menu bar: it sees Alt go down and come up again,
// so it enters its keyboard mode, or leaves it when it is in it. The events
// carry the modifiers from before the key, as the keyboard's own do.
void tapAlt(QWidget& window) {
    QKeyEvent down(QEvent::ShortcutOverride, Qt::Key_Alt, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &down);
    QKeyEvent up(QEvent::KeyRelease, Qt::Key_Alt, Qt::AltModifier);
    QCoreApplication::sendEvent(&window, &up);
}

} // namespace

void ReachFromKeyboard(QMenuBar& bar) {
    QWidget& window = *bar.window();
    // Owned by the window, so it outlives the bar that uses it.
    auto* style = new AltReachesMenuBar;
    style->setParent(&window);
    bar.setStyle(style);
    auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), &window);
    QObject::connect(f10, &QShortcut::activated, &window, [&window] { tapAlt(window); });
}

} // namespace platform
