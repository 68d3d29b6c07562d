#pragma once
// A user played through the real main window with real clicks and keys on
// the real boxes, message boxes and file dialogs, for the hostile pages test.
// The user's script is a list of steps that a timer-driven user performs in
// order, each when what it needs is on the screen:
//   click               clicks the chat page's first link (each page puts one at the top)
//   type:ADDRESS        types the address into the chat address box and presses Enter
//   refresh             presses the chat pane's Refresh button
//   box:ok|cancel|stop  answers a box over a pane (stop: ticks "Don't let this page..." first)
//   login:escape|login:stop   presses Escape on a login box (stop: ticks "Don't let..." first)
//   any:escape|any:stop  the same on whichever box shows, a page's box or a login
//   quiet:MS            no box shows over a pane for MS ms
//   boxshown            waits until a box over a pane shows, without answering it
//   msg:ok|yes|no|enter answers the message box (enter: its default button)
//   save:NAME|=|-       answers the Save As dialog: saves as NAME (=: the name it suggests) in
//                       the row's folder, or cancels
//   progress:cancel     presses Cancel on the download's progress, once it is seen no wider
//                       than the screen
//   login:USER:PASSWORD|login:cancel   answers a login box
//   exit                Menu, then Exit: two clicks, which must end the program
//   alive|chatalive     the player pane's clock ticks, or the chat page's title changes
//   ownprocess          each pane's pages run in a page process of their own
//   kill                the chat pane's page process is killed (once its new one is there)
//   notice:TEXT|nonotice   the chat pane shows (or no longer shows) a notice with TEXT
//   noticelink          follows the notice's link
//   down|up             the server goes down or comes back (down first: before the window loads)
//   title:TEXT          the window title reads TEXT
//   pagetitle:TEXT      the chat page's own title reads TEXT (once loaded, the window's stays)
//   wait:MS             lets time pass
//   folder:NAME         makes a folder NAME in the row's folder, where a file may want to be
// A step may end in " @MS": it must be done within MS (else 20 s) of the step before.
// A modal dialog the current step does not answer fails the row at once.
// ${site} stands for 127.0.0.1:port and ${url} for http://127.0.0.1:port.
#include "main_window/FrmMain.h"
#include "panes/PaneWait.h"
#include "panes/QtWebDialogs.h"
#include "panes/WebEngineBrowser.h"
#include "support/SlowHttpServer.h"
#include "ui/Form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QWebEnginePage>
#include <QtTest>
#include <csignal>
#include <signal.h>

class PaneUser {
public:
    PaneUser(FrmMain& shownWindow, SlowHttpServer& station, const int& exits, QString folder)
        : window(shownWindow), server(station), exitRequests(exits), saveFolder(std::move(folder)) {
    }

    QStringList steps;
    qsizetype next = 0;
    QElapsedTimer sinceStep;
    QStringList seen; // what boxes and dialogs said, in order
    QString failure;  // the first step that could not be done
    bool closing = false;
    bool done() const { return next >= steps.size() || !failure.isEmpty(); }

    QString expand(QString text) const {
        const QString url = server.address("");
        return text.replace("${url}", url).replace("${site}", url.mid(7));
    }

    // What a modal dialog is, for a failure that names it.
    static QString Describe(QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal))
            return "a message box saying \"" + box->text() + "\"";
        return QString("%1 \"%2\"").arg(modal->metaObject()->className(), modal->windowTitle());
    }

    static QList<QDialog*> paneBoxes() {
        QList<QDialog*> shown;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->isVisible() && top->objectName() == platform::QtWebDialogs::kPaneBoxName)
                shown << static_cast<QDialog*>(top);
        return shown;
    }
    static QString textOf(QWidget* box) {
        QStringList texts;
        for (QLabel* label : box->findChildren<QLabel*>())
            if (!label->text().isEmpty())
                texts << label->text();
        return texts.join(' ');
    }
    static QProgressDialog* progressShown() {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* progress = qobject_cast<QProgressDialog*>(top);
                progress && progress->isVisible())
                return progress;
        return nullptr;
    }
    static platform::WebEngineBrowser* engine(platform::WebBrowser* browser) {
        return static_cast<platform::WebEngineBrowser*>(browser);
    }

    // Whether a step can be done now (what it needs is on the screen), and
    // for the steps that only wait, whether the wait is over.
    bool ready(const QString& step) {
        const QString verb = step.section(':', 0, 0);
        const QString arg = step.section(':', 1);
        auto* chat = engine(window.brwWebBrowserChat);
        auto* modal = QApplication::activeModalWidget();
        if (verb == "click") // on the page once it has loaded and shows
            return !chat->Busy() && chat->widget()->focusProxy() && sinceStep.elapsed() >= 300;
        if (verb == "box" || verb == "boxshown" || verb == "login" || verb == "any") {
            const QList<QDialog*> shown = paneBoxes();
            if (shown.isEmpty())
                return false;
            if (verb == "any")
                return true;
            const QList<QLineEdit*> fields = shown.last()->findChildren<QLineEdit*>();
            const bool isLogin =
                !fields.isEmpty() && fields.last()->echoMode() == QLineEdit::Password;
            return verb == "boxshown" || isLogin == (verb == "login");
        }
        if (verb == "msg")
            return qobject_cast<QMessageBox*>(modal);
        if (verb == "save")
            return qobject_cast<QFileDialog*>(modal);
        if (verb == "progress")
            return progressShown();
        if (verb == "exitmenu")
            return true;
        if (verb == "exititem") // the first click opened the menu
            return window.menu->isVisible();
        if (verb == "exited") // the second click ended the program
            return exitRequests > exitsBefore;
        if (verb == "alive" || verb == "chatalive") {
            const QString title =
                (verb == "alive" ? window.brwWebBrowserPlay : window.brwWebBrowserChat)
                    ->LocationName();
            if (remembered.isNull()) {
                remembered = title;
                return false;
            }
            if (title == remembered || title.isEmpty())
                return false;
            remembered = QString();
            return true;
        }
        if (verb == "kill") {
            const qint64 pid = chat->page()->renderProcessPid();
            return pid > 0 && pid != killed;
        }
        if (verb == "ownprocess") { // each pane's pages in a page process of their own
            const qint64 player = engine(window.brwWebBrowserPlay)->page()->renderProcessPid();
            const qint64 chatPid = chat->page()->renderProcessPid();
            return player > 0 && chatPid > 0 && player != chatPid;
        }
        if (verb == "notice")
            return chat->Notice().contains(arg);
        if (verb == "nonotice")
            return chat->Notice().isEmpty();
        if (verb == "noticelink") {
            QLabel* notice = chat->NoticeLabel();
            return notice && notice->isVisible();
        }
        if (verb == "title")
            return window.windowTitle() == expand(arg);
        if (verb == "pagetitle")
            return chat->LocationName() == arg;
        if (verb == "wait")
            return sinceStep.elapsed() >= arg.toInt();
        if (verb == "quiet") {
            if (!paneBoxes().isEmpty())
                failure = step + ": a box showed: " + textOf(paneBoxes().last());
            return sinceStep.elapsed() >= arg.toInt();
        }
        return true; // type, refresh, down, up: at once
    }

    // Does a step that is ready. It may run other events (a click can), and
    // with them the next steps: the step counts as done before it starts.
    void act(const QString& step) {
        const QString verb = step.section(':', 0, 0);
        const QString arg = step.section(':', 1);
        auto* chat = engine(window.brwWebBrowserChat);
        auto* modal = QApplication::activeModalWidget();
        if (verb == "click") {
            QWidget* target = chat->widget()->focusProxy();
            QTest::mouseMove(target, QPoint(50, 40));
            QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(50, 40));
        } else if (verb == "refresh") {
            QTest::mouseClick(window.RefreshChat, Qt::LeftButton);
        } else if (verb == "type") {
            window.cboAddressChat->setEditText(expand(arg));
            QTest::keyClick(window.cboAddressChat, Qt::Key_Return);
        } else if (verb == "box" || verb == "login" || verb == "any") {
            QDialog* box = paneBoxes().last();
            seen << textOf(box);
            auto* buttons = box->findChild<QDialogButtonBox*>();
            const bool escape = arg == "escape" || (verb != "box" && arg == "stop");
            const auto role =
                arg == "cancel" ? QDialogButtonBox::RejectRole : QDialogButtonBox::AcceptRole;
            QAbstractButton* pressed = nullptr;
            for (QAbstractButton* button : buttons->buttons())
                if (buttons->buttonRole(button) == role)
                    pressed = button;
            if (verb == "login" && arg.contains(':')) {
                const QList<QLineEdit*> fields = box->findChildren<QLineEdit*>();
                fields[0]->setText(arg.section(':', 0, 0));
                fields[1]->setText(arg.section(':', 1));
            }
            if (arg == "stop") {
                auto* stop = box->findChild<QCheckBox*>();
                if (!stop) {
                    failure = step + ": the box offers no way to stop the page";
                    return;
                }
                QTest::mouseClick(stop, Qt::LeftButton, {}, QPoint(5, stop->height() / 2));
                if (!stop->isChecked())
                    failure = step + ": the check box did not take the click";
            }
            if (escape)
                QTest::keyClick(box, Qt::Key_Escape);
            else
                QTest::mouseClick(pressed, Qt::LeftButton);
        } else if (verb == "msg") {
            auto* box = qobject_cast<QMessageBox*>(modal);
            seen << box->text();
            if (arg == "enter")
                return QTest::keyClick(box, Qt::Key_Return);
            const auto button = arg == "yes"  ? QMessageBox::Yes
                                : arg == "no" ? QMessageBox::No
                                              : QMessageBox::Ok;
            QTest::mouseClick(box->button(button), Qt::LeftButton);
        } else if (verb == "save") {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            const QFileInfo suggested(dialog->selectedFiles().value(0));
            seen << "Save As in " + dialog->directory().absolutePath() + " as " +
                        suggested.fileName();
            if (arg == "-") {
                dialog->reject();
            } else if (arg == "=") {
                dialog->findChild<QLineEdit*>("fileNameEdit")
                    ->setText(saveFolder + "/" + suggested.fileName());
                static_cast<QDialog*>(dialog)->accept();
            } else {
                dialog->findChild<QLineEdit*>("fileNameEdit")->setText(saveFolder + "/" + arg);
                static_cast<QDialog*>(dialog)->accept(); // as its Save button does
            }
        } else if (verb == "progress") {
            QProgressDialog* progress = progressShown();
            const QRect screen = progress->screen()->availableGeometry();
            if (progress->frameGeometry().width() > screen.width())
                failure = QString("%1: the progress box (%2 px wide) is wider than the screen")
                              .arg(step)
                              .arg(progress->frameGeometry().width());
            QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
        } else if (verb == "exitmenu") { // two clicks: the menu, then its Exit
            exitsBefore = exitRequests;
            const QPoint menu = window.menuBar->actionGeometry(window.menu->menuAction()).center();
            QTest::mouseClick(window.menuBar, Qt::LeftButton, {}, menu);
        } else if (verb == "exititem") {
            QTest::mouseClick(window.menu, Qt::LeftButton, {},
                              window.menu->actionGeometry(window.Exit).center());
        } else if (verb == "kill") {
            killed = chat->page()->renderProcessPid();
            ::kill(pid_t(killed), SIGKILL);
        } else if (verb == "noticelink") {
            Q_EMIT chat->NoticeLabel()->linkActivated("#again");
        } else if (verb == "folder") {
            QDir(saveFolder).mkpath(arg);
        } else if (verb == "down") {
            server.goDown();
        } else if (verb == "up") {
            if (!server.comeBack())
                failure = step + ": the server could not listen again";
        } else if (!QStringList{"boxshown", "exited", "alive", "chatalive", "notice", "nonotice",
                                "title", "pagetitle", "wait", "quiet", "ownprocess"}
                        .contains(verb)) {
            failure = "unknown step " + step;
        }
    }

    void tick() {
        // Once a step failed, or the row is being checked, whatever shows is
        // closed: a box left open would hold the test below it.
        if (closing || !failure.isEmpty()) {
            closeEverything();
            return;
        }
        if (done()) {
            // A box a page shows after the last step holds the test below it.
            if (!closing && platform::PaneWait::Active() > 0 && !paneBoxes().isEmpty()) {
                failure = "a box nobody expected showed after the last step: " +
                          textOf(paneBoxes().last());
                closeEverything();
            }
            return;
        }
        QString step = steps[next];
        int limit = 20000;
        static const QRegularExpression within(" @(\\d+)$");
        if (const QRegularExpressionMatch match = within.match(step); match.hasMatch()) {
            limit = match.captured(1).toInt();
            step.chop(match.capturedLength());
        }
        if (auto* modal = QApplication::activeModalWidget(); modal && !answers(step, modal)) {
            failure = QString("step %1 (%2): a dialog nobody expected showed: %3")
                          .arg(next)
                          .arg(step, Describe(modal));
            closeEverything();
            return;
        }
        if (ready(step)) {
            ++next;
            sinceStep.start();
            act(step);
        } else if (failure.isEmpty() && sinceStep.elapsed() > limit) {
            failure = QString("step %1 (%2) not done within %3 ms; title \"%4\", boxes shown: %5")
                          .arg(next)
                          .arg(step)
                          .arg(limit)
                          .arg(window.windowTitle())
                          .arg(paneBoxes().size());
        }
    }

    // Closes whatever the user left open, so that nothing holds the stack.
    static void closeEverything() {
        for (QDialog* box : paneBoxes())
            box->reject();
        if (auto* modal = QApplication::activeModalWidget()) {
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
            else
                modal->close();
        }
    }

private:
    // Whether the step about to be done is the one that answers `modal`.
    static bool answers(const QString& step, QWidget* modal) {
        const QString verb = step.section(':', 0, 0);
        return (verb == "msg" && qobject_cast<QMessageBox*>(modal)) ||
               (verb == "save" && qobject_cast<QFileDialog*>(modal));
    }

    FrmMain& window;
    SlowHttpServer& server;
    const int& exitRequests;
    const QString saveFolder;
    QString remembered; // a title an "alive" step started from
    int exitsBefore = 0;
    qint64 killed = 0; // the chat page process killed last
};
