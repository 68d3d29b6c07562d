#include "Form.h"

#include "FrameRole.h"
#include "ScreenFit.h"
#include "core/FailureHandling.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QWindow>

namespace platform {

namespace {
int loadedCount = 0;
void leaveEventLoop() {
    // Every window goes at once; no further handler of any window runs.
    for (QWidget* window : QApplication::topLevelWidgets())
        window->hide();
    QCoreApplication::exit(0);
}
std::function<void()> endProgram = leaveEventLoop;
bool endRequested = false;

} // namespace

Form::Form(Qt::WindowFlags flags) : QWidget(nullptr, flags) {
    AnnounceAsFrame(Form::staticMetaObject);
    setAttribute(Qt::WA_DeleteOnClose);
    LoadedWindows::added();
}

Form::~Form() {
    markUnloaded();
}

void Form::Unload() {
    if (!close()) // a refused close keeps the window; none of ours refuses
        return;
    markUnloaded();
}

bool Form::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::Show && !event->spontaneous()) {
        // Before the window appears; the screen it goes to is known by now.
        fitToScreen();
        connect(windowHandle(), &QWindow::screenChanged, this, &Form::fitToScreen,
                Qt::UniqueConnection);
    } else if (isVisible() && FrameOf(*this) != fittedFrame_) {
        // The window manager has framed it since, which Qt learns without an
        // event of its own: seen with the next one (a resize, an activation).
        fitToScreen();
    }
    return handled;
}

void Form::fitToScreen() {
    fittedFrame_ = FrameOf(*this);
    fitInto(RoomOnScreen(*this));
    KeepOnScreen(*this);
}

void Form::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted())
        markUnloaded();
}

void Form::setCaption(const QString& text) {
    // Qt reads "[*]" as its modified-document mark and "[*][*]" as one "[*]".
    QString escaped = text;
    setWindowTitle(escaped.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]")));
}

void Form::keyPressEvent(QKeyEvent* event) {
    // Keys the focused control leaves alone end up here.
    if (QPushButton* button = buttonForKey(*event)) {
        button->click();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

QPushButton* Form::buttonForKey(const QKeyEvent& key) const {
    switch (key.key()) {
    case Qt::Key_Escape:
        return cancelButton_;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (auto* focused = qobject_cast<QPushButton*>(focusWidget()))
            return focused;
        return defaultButton_;
    default:
        return nullptr;
    }
}

void Form::keepOutOfTaskBar() {
    setWindowFlag(Qt::Tool, true);
}

void Form::useDialogFont() {
    QFont dialogFont = font();
    dialogFont.setPointSize(8);
    setFont(dialogFont);
}

void Form::markUnloaded() {
    if (unloaded_)
        return;
    unloaded_ = true;
    hide();
    Q_EMIT unloaded();
    LoadedWindows::removed();
}

void RunLoadHandler(Form& window) {
    RunReported("Opening the window", [&] { window.Form_Load(); });
}

int LoadedWindows::count() {
    return loadedCount;
}

void LoadedWindows::setEndProgram(std::function<void()> end) {
    endProgram = std::move(end);
    endRequested = false;
}

bool LoadedWindows::EndRequested() {
    return endRequested;
}

void LoadedWindows::EndProgram() {
    endRequested = true;
    if (endProgram)
        endProgram();
}

void LoadedWindows::added() {
    ++loadedCount;
}

void LoadedWindows::removed() {
    if (--loadedCount == 0)
        EndProgram();
}

} // namespace platform
