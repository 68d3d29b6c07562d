#include "PaneWait.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QList>
#include <QTimer>

namespace platform {

namespace {
QList<PaneWait*> running;                 // innermost last
QList<QPointer<QWidget>> closeAfterWaits; // windows whose close was held
} // namespace

// Holds a window's close while a wait of one of its panes runs: closing it
// would delete the page whose question is still on the stack.
class WindowCloseGuard : public QObject {
public:
    static WindowCloseGuard& instance() {
        static WindowCloseGuard guard;
        return guard;
    }
    void watch(QWidget* window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Close || !watched->isWidgetType())
            return false;
        auto* window = static_cast<QWidget*>(watched);
        QList<PaneWait*> inWindow;
        for (PaneWait* wait : std::as_const(running))
            if (wait->pane_ && wait->pane_->window() == window)
                inWindow << wait;
        if (inWindow.isEmpty())
            return false;
        event->ignore();
        if (!closeAfterWaits.contains(window))
            closeAfterWaits << window;
        for (PaneWait* wait : std::as_const(inWindow))
            wait->abandon();
        return true;
    }
};

PaneWait::PaneWait(QWidget* pane) : pane_(pane) {}

PaneWait::~PaneWait() = default;

int PaneWait::Active() {
    return int(running.size());
}

bool PaneWait::Closing(const QWidget* pane) {
    return pane && closeAfterWaits.contains(pane->window());
}

void PaneWait::Finish() {
    finished_ = true;
    if (loop_)
        loop_->quit();
}

void PaneWait::abandon() {
    if (finished_)
        return;
    abandoned_ = true;
    if (onAbandon)
        onAbandon();
    Finish();
}

PaneWait::End PaneWait::Run() {
    if (finished_)
        return End::Finished;
    if (QCoreApplication::closingDown())
        return End::ProgramEnding;
    if (pane_)
        WindowCloseGuard::instance().watch(pane_->window());
    QEventLoop loop;
    loop_ = &loop;
    running << this;
    // Ending the program quits every event loop, this one included.
    if (!finished_)
        loop.exec();
    running.removeOne(this);
    loop_ = nullptr;
    const End end = abandoned_  ? End::WindowClosing
                    : finished_ ? End::Finished
                                : End::ProgramEnding;
    if (running.isEmpty())
        closeHeldWindows();
    return end;
}

void PaneWait::closeHeldWindows() {
    // The stack is clear of waits: the closes held meanwhile happen now.
    for (const QPointer<QWidget>& window : std::exchange(closeAfterWaits, {}))
        if (window)
            QTimer::singleShot(0, window, [window] {
                if (window)
                    window->close();
            });
}

} // namespace platform
