#pragma once
// The program's windows follow one rule set: each window class has one
// instance, created by the first show request; a show loads the window if
// it is not loaded (its load handler runs before the request returns) and
// shows it modeless without an owner, or only brings it forward. Unloading
// discards the window's controls; the next show loads it afresh. The process
// ends when its last window is unloaded.
#include <QMargins>
#include <QPointer>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <string>

namespace platform {

// The frame all windows share: a fixed size, a title bar and only the close
// box; `kind` says whether it is a main window or a dialog.
inline Qt::WindowFlags FixedFrame(Qt::WindowType kind) {
    return kind | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
}

class Form : public QWidget {
    Q_OBJECT
public:
    explicit Form(Qt::WindowFlags flags = Qt::Window);
    ~Form() override;
    // The load handler; runs once per load, before the window is shown.
    virtual void Form_Load() {}
    // Closes the window and discards it.
    void Unload();
    bool isUnloaded() const { return unloaded_; }
    // Sets the title bar text exactly as given ("[*]" is no placeholder here).
    void setCaption(const QString& text);

Q_SIGNALS:
    void unloaded();

protected:
    // Where the window's layout is larger than `room` (its screen's available
    // area less its frame), it fits its contents into it; the default keeps
    // the layout.
    virtual void fitInto(const QSize& room) { Q_UNUSED(room); }
    bool event(QEvent* event) override;
    void closeEvent(class QCloseEvent* event) override;
    // The keyboard rule of every window: Enter presses the focused command
    // button, else the default button; Escape presses the cancel button.
    void keyPressEvent(class QKeyEvent* event) override;
    void setDefaultButton(QPushButton* button) { defaultButton_ = button; }
    void setCancelButton(QPushButton* button) { cancelButton_ = button; }
    // A window without a task bar button: a utility window of the desktop.
    void keepOutOfTaskBar();
    // The dialogs' layouts are measured for an 8-point font: with it the
    // texts fit their boxes as laid out.
    void useDialogFont();

private:
    QPushButton* buttonForKey(const QKeyEvent& key) const;
    void markUnloaded();
    void fitToScreen();
    QMargins fittedFrame_; // the frame the window was last fitted with
    bool unloaded_ = false;
    QPointer<QPushButton> defaultButton_;
    QPointer<QPushButton> cancelButton_;
};

// Counts the loaded windows and ends the program when the last one goes.
class LoadedWindows {
public:
    static int count();
    // What ending the program means: by default leaving the event loop.
    static void setEndProgram(std::function<void()> end);
    static void EndProgram();
    // True once the program was asked to end: work that handles events as it
    // goes (a long copy) stops when it sees this.
    static bool EndRequested();

private:
    friend class Form;
    static void added();
    static void removed();
};

// The one instance of a window class and its show request.
template <class Window> class FormSlot {
public:
    Window& Show() {
        const bool loading = !isLoaded();
        if (loading)
            load();
        window_->show();
        window_->raise();
        window_->activateWindow();
        return *window_;
    }
    bool isLoaded() const { return window_ && !window_->isUnloaded(); }
    Window* window() const { return isLoaded() ? window_.data() : nullptr; }
    // The number of loads so far: each load makes a fresh window.
    int loads() const { return loads_; }

private:
    void load();
    QPointer<Window> window_;
    int loads_ = 0;
};

// The load handler runs inside the show request; a failure in it is
// reported and the window still opens.
void RunLoadHandler(Form& window);

template <class Window> void FormSlot<Window>::load() {
    window_ = new Window();
    ++loads_;
    RunLoadHandler(*window_);
}

} // namespace platform
