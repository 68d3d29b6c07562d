#include "MenuBarKeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QProxyStyle>
#include <QShortcut>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>

namespace platform {

namespace {

// Qt's menu bar has the keyboard mode; the style decides whether a lone Alt
// enters it, and some desktops' styles say no. Over the style the program
// runs with (the desktop's, or the one asked for), the bar says yes.
class AltReachesMenuBar final : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* answer) const override {
        if (hint == SH_MenuBar_AltKeyNavigation)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, answer);
    }

    // Fusion highlights an entry only while its menu is open, so the entry
    // the keyboard is on looked like the others: it is drawn as an open one.
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (element == CE_MenuBarItem && item && (item->state & State_Selected)) {
            QStyleOptionMenuItem shown(*item);
            shown.state |= State_Sunken;
            QProxyStyle::drawControl(element, &shown, painter, widget);
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};

// F10 is a lone Alt to the menu bar: it sees Alt go down and come up again,
// so it enters its keyboard mode, or leaves it when it is in it. The events
// carry the modifiers from before the key, as the keyboard's own do.
void tapAlt(QWidget& window) {
    QKeyEvent down(QEvent::ShortcutOverride, Qt::Key_Alt, Qt::NoModifier);
    QApplication::sendEvent(&window, &down);
    QKeyEvent up(QEvent::KeyRelease, Qt::Key_Alt, Qt::AltModifier);
    QApplication::sendEvent(&window, &up);
}

} // namespace

void ReachFromKeyboard(QMenuBar& bar) {
    QWidget& window = *bar.window();
    // Owned by the window, so it outlives the bar that uses it.
    auto* style = new AltReachesMenuBar(QStyleFactory::create(QApplication::style()->name()));
    style->setParent(&window);
    bar.setStyle(style);
    auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), &window);
    QObject::connect(f10, &QShortcut::activated, &window, [&window] { tapAlt(window); });
}

} // namespace platform
