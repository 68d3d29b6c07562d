#include "UserInputWatch.h"

#include "PanePage.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace platform {

namespace {
bool isUserInput(const QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::TouchBegin:
        return true;
    default:
        return false;
    }
}
} // namespace

UserInputWatch& UserInputWatch::instance() {
    static auto* watch = [] {
        auto* made = new UserInputWatch;
        qApp->installEventFilter(made);
        return made;
    }();
    return *watch;
}

void UserInputWatch::watch(QWidget* view, PanePage* page) {
    panes_.append({view, page});
}

bool UserInputWatch::eventFilter(QObject* watched, QEvent* event) {
    if (!isUserInput(event) || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    for (qsizetype i = panes_.size() - 1; i >= 0; --i) {
        const auto& [view, page] = panes_[i];
        if (!view || !page) {
            panes_.removeAt(i);
            continue;
        }
        if (view == widget || view->isAncestorOf(widget))
            page->NoteUserInput();
    }
    return false;
}

} // namespace platform
