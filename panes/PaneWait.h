#pragma once
// Waits for what a pane's box answers, in a nested event loop, while the
// rest of the program goes on: the menu, the other pane and the address
// boxes stay usable. The engine asks the page's questions of the program
// synchronously, so the page that asked stays held until the answer.
//
// The window that holds the pane is never closed under a wait: a close
// asked meanwhile ends every wait in that window (their boxes close as if
// dismissed) and is carried out once the waits have returned. Ending the
// program ends every wait too.
#include <QPointer>
#include <QWidget>
#include <functional>

class QEventLoop;

namespace platform {

class PaneWait {
public:
    explicit PaneWait(QWidget* pane);
    ~PaneWait();
    PaneWait(const PaneWait&) = delete;
    PaneWait& operator=(const PaneWait&) = delete;

    // How a wait ended.
    enum class End {
        Finished,      // Finish() was called, also before Run
        WindowClosing, // the pane's window is closing: the wait was abandoned
        ProgramEnding, // the program is ending
    };
    End Run();
    void Finish();
    // Called when the wait ends because its window closes, before Run returns.
    std::function<void()> onAbandon;

    // Waits in progress, for tests and for what must not start under one.
    static int Active();
    // The pane's window is closing once the waits have returned: a page
    // there gets no more boxes.
    static bool Closing(const QWidget* pane);

private:
    friend class WindowCloseGuard;
    void abandon();
    static void closeHeldWindows();
    QPointer<QWidget> pane_;
    QEventLoop* loop_ = nullptr;
    bool finished_ = false;
    bool abandoned_ = false;
};

} // namespace platform
