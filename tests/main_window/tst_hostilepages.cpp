// Hostile pages against the real engine in the real main window. Each row
// serves a page from a local server into the chat pane (the player pane
// shows a page whose clock ticks) and plays a user through it with real
// clicks and keys on the real boxes, message boxes and file dialogs. After
// every row the user can still reach Exit in two clicks, the player pane
// still runs, nothing was handed to the desktop but what the row expects,
// no file was written but the one chosen, and the chat timer has stopped.
//
// A row's script is a list of steps that a timer-driven user performs in
// order, each when what it needs is on the screen:
//   click               clicks the chat page's first link (each page puts one at the top)
//   type:ADDRESS        types the address into the chat address box and presses Enter
//   box:ok|cancel|stop  answers a box over a pane (stop: ticks "Don't let this page..." first)
//   boxshown            waits until a box over a pane shows, without answering it
//   msg:ok|yes|no       answers the message box
//   save:NAME|-         answers the Save As dialog: saves as NAME in the row's folder, or cancels
//   progress:cancel     presses Cancel on the download's progress
//   login:USER:PASSWORD|login:cancel   answers a login box
//   exit                Menu, then Exit: two clicks, which must end the program
//   alive|chatalive     the player pane's clock ticks, or the chat page's title changes
//   ownprocess          each pane's pages run in a page process of their own
//   kill                the chat pane's page process is killed
//   notice:TEXT|nonotice   the chat pane shows (or no longer shows) a notice with TEXT
//   noticelink          follows the notice's link
//   down|up             the server goes down or comes back (down first: before the window loads)
//   title:TEXT          the window title reads TEXT
//   wait:MS             lets time pass
// A step may end in " @MS": it must be done within MS (else 20 s) of the step before.
// ${site} stands for 127.0.0.1:port and ${url} for http://127.0.0.1:port.
#include "core/Services.h"
#include "fakes/FakeShell.h"
#include "main_window/FrmMain.h"
#include "panes/PaneWait.h"
#include "panes/QtWebDialogs.h"
#include "panes/WebEngineBrowser.h"
#include "support/SlowHttpServer.h"
#include "ui/Form.h"
#include "ui/QtMsgBox.h"

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
#include <QWebEngineView>
#include <QtTest>
#include <csignal>
#include <memory>
#include <signal.h>

namespace {

QString homeFolder; // the user's home for this run: empty, with no Downloads folder

// A page whose first thing is a large link the user can click.
QByteArray linkPage(const QByteArray& href, bool newWindow, const QByteArray& more = {}) {
    return "<a id=go href=\"" + href + "\"" + (newWindow ? " target=_blank" : "") +
           " style=\"display:block;width:400px;height:80px;background:#ddd\">go</a>" + more;
}

QString visibleFilesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot).join(", ");
}

} // namespace

class TestHostilePages : public QObject {
    Q_OBJECT

    FakeShell shell;
    platform::QtMsgBox boxes;
    platform::QtWebDialogs dialogs;
    platform::WebEngineBrowserFactory browsers{dialogs};
    SlowHttpServer server;
    // Sites of their own for the login rows: the engine keeps an answer
    // that worked for the rest of the run.
    SlowHttpServer loginSites[3];
    int exitRequests = 0;
    // Menu, then Exit: each click does its part at once or never.
    const QStringList exitSteps{"exitmenu", "exititem @2000", "exited @2000"};
    const QByteArray song = "ID3" + QByteArray(300000, 'x');

    // The user being played, one step at a time.
    struct User {
        QStringList steps;
        qsizetype next = 0;
        QElapsedTimer sinceStep;
        QStringList seen;   // what boxes and dialogs said, in order
        QString failure;    // the first step that could not be done
        QString remembered; // a title an "alive" step started from
        int exitsBefore = 0;
        bool closing = false;
        bool done() const { return next >= steps.size() || !failure.isEmpty(); }
    };

    QString expand(QString text) const {
        const QString url = server.address("");
        return text.replace("${url}", url).replace("${site}", url.mid(7));
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
    bool ready(FrmMain& window, User& user, const QString& step) {
        const QString verb = step.section(':', 0, 0);
        const QString arg = step.section(':', 1);
        auto* chat = engine(window.brwWebBrowserChat);
        auto* modal = QApplication::activeModalWidget();
        if (verb == "click") // on the page once it has loaded and shows
            return !chat->Busy() && chat->widget()->focusProxy() && user.sinceStep.elapsed() >= 300;
        if (verb == "box" || verb == "boxshown" || verb == "login") {
            const QList<QDialog*> shown = paneBoxes();
            if (shown.isEmpty())
                return false;
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
            return exitRequests > user.exitsBefore;
        if (verb == "alive" || verb == "chatalive") {
            const QString title =
                (verb == "alive" ? window.brwWebBrowserPlay : window.brwWebBrowserChat)
                    ->LocationName();
            if (user.remembered.isNull()) {
                user.remembered = title;
                return false;
            }
            if (title == user.remembered || title.isEmpty())
                return false;
            user.remembered = QString();
            return true;
        }
        if (verb == "kill")
            return chat->page()->renderProcessPid() > 0;
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
        if (verb == "wait")
            return user.sinceStep.elapsed() >= arg.toInt();
        return true; // type, down, up: at once
    }

    // Does a step that is ready. It may run other events (a click can), and
    // with them the next steps: the step counts as done before it starts.
    void act(FrmMain& window, User& user, const QString& step, const QString& saveFolder) {
        const QString verb = step.section(':', 0, 0);
        const QString arg = step.section(':', 1);
        auto* chat = engine(window.brwWebBrowserChat);
        auto* modal = QApplication::activeModalWidget();
        if (verb == "click") {
            QWidget* target = chat->widget()->focusProxy();
            QTest::mouseMove(target, QPoint(50, 40));
            QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(50, 40));
        } else if (verb == "type") {
            window.cboAddressChat->setEditText(expand(arg));
            QTest::keyClick(window.cboAddressChat, Qt::Key_Return);
        } else if (verb == "box" || verb == "login") {
            QDialog* box = paneBoxes().last();
            user.seen << textOf(box);
            auto* buttons = box->findChild<QDialogButtonBox*>();
            const auto role =
                arg == "cancel" ? QDialogButtonBox::RejectRole : QDialogButtonBox::AcceptRole;
            QAbstractButton* pressed = nullptr;
            for (QAbstractButton* button : buttons->buttons())
                if (buttons->buttonRole(button) == role)
                    pressed = button;
            if (verb == "login" && arg != "cancel") {
                const QList<QLineEdit*> fields = box->findChildren<QLineEdit*>();
                fields[0]->setText(arg.section(':', 0, 0));
                fields[1]->setText(arg.section(':', 1));
            }
            if (arg == "stop") {
                auto* stop = box->findChild<QCheckBox*>();
                if (!stop) {
                    user.failure = step + ": the box offers no way to stop the page";
                    return;
                }
                QTest::mouseClick(stop, Qt::LeftButton, {}, QPoint(5, stop->height() / 2));
                if (!stop->isChecked())
                    user.failure = step + ": the check box did not take the click";
            }
            QTest::mouseClick(pressed, Qt::LeftButton);
        } else if (verb == "msg") {
            auto* box = qobject_cast<QMessageBox*>(modal);
            user.seen << box->text();
            const auto button = arg == "yes"  ? QMessageBox::Yes
                                : arg == "no" ? QMessageBox::No
                                              : QMessageBox::Ok;
            QTest::mouseClick(box->button(button), Qt::LeftButton);
        } else if (verb == "save") {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            const QFileInfo suggested(dialog->selectedFiles().value(0));
            user.seen << "Save As in " + dialog->directory().absolutePath() + " as " +
                             suggested.fileName();
            if (arg == "-") {
                dialog->reject();
            } else {
                dialog->findChild<QLineEdit*>("fileNameEdit")->setText(saveFolder + "/" + arg);
                static_cast<QDialog*>(dialog)->accept(); // as its Save button does
            }
        } else if (verb == "progress") {
            QTest::mouseClick(progressShown()->findChild<QPushButton*>(), Qt::LeftButton);
        } else if (verb == "exitmenu") { // two clicks: the menu, then its Exit
            user.exitsBefore = exitRequests;
            const QPoint menu = window.menuBar->actionGeometry(window.menu->menuAction()).center();
            QTest::mouseClick(window.menuBar, Qt::LeftButton, {}, menu);
        } else if (verb == "exititem") {
            QTest::mouseClick(window.menu, Qt::LeftButton, {},
                              window.menu->actionGeometry(window.Exit).center());
        } else if (verb == "kill") {
            ::kill(pid_t(chat->page()->renderProcessPid()), SIGKILL);
        } else if (verb == "noticelink") {
            Q_EMIT chat->NoticeLabel()->linkActivated("#again");
        } else if (verb == "down") {
            server.goDown();
        } else if (verb == "up") {
            if (!server.comeBack())
                user.failure = step + ": the server could not listen again";
        } else if (!QStringList{"boxshown", "exited", "alive", "chatalive", "notice", "nonotice",
                                "title", "wait", "ownprocess"}
                        .contains(verb)) {
            user.failure = "unknown step " + step;
        }
    }

    void tick(FrmMain& window, User& user, const QString& saveFolder) {
        // Once a step failed, or the row is being checked, whatever shows is
        // closed: a box left open would hold the test below it.
        if (user.closing || !user.failure.isEmpty()) {
            closeEverything();
            return;
        }
        if (user.done())
            return;
        QString step = user.steps[user.next];
        int limit = 20000;
        static const QRegularExpression within(" @(\\d+)$");
        if (const QRegularExpressionMatch match = within.match(step); match.hasMatch()) {
            limit = match.captured(1).toInt();
            step.chop(match.capturedLength());
        }
        if (ready(window, user, step)) {
            ++user.next;
            user.sinceStep.start();
            act(window, user, step, saveFolder);
        } else if (user.failure.isEmpty() && user.sinceStep.elapsed() > limit) {
            user.failure =
                QString("step %1 (%2) not done within %3 ms; title \"%4\", boxes shown: %5")
                    .arg(user.next)
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

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(server.isListening());
        const QByteArray gif =
            QByteArray::fromBase64("R0lGODlhAQABAAAAACH5BAEKAAEALAAAAAABAAEAAAICTAEAOw==");
        server.addPage("/clock", {"Player", 0,
                                  "<script>let n = 0; setInterval(() => document.title = "
                                  "'tick ' + (++n), 200)</script>"});
        server.addPage("/room", {"Chat room", 0, linkPage("/other", false)});
        server.addPage("/other", {"Other room"});
        server.addPage("/song.mp3",
                       {"", 0, song, "Content-Disposition: attachment; filename=song.mp3\r\n"});
        // Other programs.
        server.addPage("/ssh", {"Ssh link", 0, linkPage("ssh://user@host/", false)});
        server.addPage("/steam", {"Steam link", 0, linkPage("steam://run/12345", true)});
        server.addPage("/vnd", {"Vnd link", 0, linkPage("vnd.ms-x:foo", false)});
        server.addPage("/mail", {"Mail link", 0,
                                 linkPage("mailto:x@y?attach=/etc/passwd&amp;body=hello", false)});
        server.addPage("/mailnew", {"Mail link", 0, linkPage("mailto:dj@station.example", true)});
        server.addPage("/web", {"Web link", 0, linkPage("/other", true)});
        server.addPage("/file", {"File link", 0, linkPage("file:///etc/passwd", true)});
        server.addPage("/sneaky",
                       {"Sneaky", 0,
                        "<iframe src=\"steam://run/1\"></iframe><script>"
                        "setTimeout(() => location = 'ssh://user@host/', 300);"
                        "window.open('vnd.ms-x:foo'); window.open('mailto:x@y')</script>"});
        // Boxes.
        server.addPage("/alerts", {"Alert loop", 0,
                                   "<script>let n = 0; setInterval(() => { alert('On air now');"
                                   "document.title = 'alerts ' + (++n) }, 100)</script>"});
        server.addPage("/nagging",
                       {"Nagging", 0, "<script>while (true) confirm('Stay?')</script>"});
        server.addPage("/questions", {"Questions", 0,
                                      "<script>const r = [];"
                                      "for (let i = 0; i < 4; ++i) r.push(confirm('Sure?'));"
                                      "r.push(prompt('Your name?', 'dj'));"
                                      "document.title = JSON.stringify(r)</script>"});
        server.addPage("/leave", {"Leave page", 0,
                                  linkPage("#", false,
                                           "<script>onbeforeunload = e => {"
                                           "e.preventDefault(); e.returnValue = 'stay' }"
                                           "</script>")});
        // Downloads.
        server.addPage("/storm",
                       {"Storm", 0,
                        linkPage("/song.mp3", false,
                                 "<script>setInterval(() => "
                                 "document.getElementById('go').click(), 300)</script>")});
        server.addPage("/cutpage", {"Cut", 0, linkPage("/cut.bin", false)});
        server.addPage("/cut.bin", {"",
                                    0,
                                    QByteArray(500000, 'c'),
                                    "Content-Disposition: attachment; filename=cut.bin\r\n",
                                    {},
                                    100000});
        server.addPage("/stallpage", {"Stall", 0, linkPage("/stall.bin", false)});
        server.addPage("/stall.bin", {"",
                                      0,
                                      QByteArray(1000000, 's'),
                                      "Content-Disposition: attachment; filename=stall.bin\r\n",
                                      {},
                                      100000,
                                      true});
        server.addPage("/hidden", {"Hidden", 0,
                                   "<a id=go href=\"/other\" download=\"../../../root/.bashrc\""
                                   " style=\"display:block;width:400px;height:80px\">go</a>"});
        server.addPage("/dotfile", {"Dot file", 0, linkPage("/dot.txt", false)});
        server.addPage("/dot.txt", {"", 0, "alias ls=rm",
                                    "Content-Disposition: attachment; filename=.bashrc\r\n"});
        // Logins.
        QByteArray gallery = "<p id=count></p><script>let shown = 0, failed = 0;"
                             "function count() { document.title = shown + ' shown, ' + failed + "
                             "' failed' }</script>";
        for (int i = 0; i < 20; ++i)
            gallery += "<img src=\"/private/img.gif?" + QByteArray::number(i) +
                       "\" onload=\"shown++; count()\" onerror=\"failed++; count()\">";
        for (SlowHttpServer& site : loginSites) {
            site.addPage("/gallery", {"Gallery", 0, gallery});
            site.addPage("/private/img.gif",
                         {"", 0, gif, "Content-Type: image/gif\r\n", "dj:onair"});
        }

        platform::install({.messageBox = &boxes, .shell = &shell, .browsers = &browsers});
        platform::LoadedWindows::setEndProgram([this] { ++exitRequests; });
    }

    // A row: most need only the page, the script and what the boxes said.
    static void row(const char* name, const QString& page, const QStringList& script,
                    const QStringList& seen = {}, const QStringList& handed = {},
                    const QString& files = {}, const QString& requests = {}) {
        QTest::newRow(name) << page << script << seen << handed << files << requests;
    }

    void hostilePage_data() {
        QTest::addColumn<QString>("page"); // chat pane's page: a path, or another site's address
        QTest::addColumn<QStringList>("script");
        QTest::addColumn<QStringList>("seen");   // each box or dialog, in order: text it contains
        QTest::addColumn<QStringList>("handed"); // addresses opened on the desktop
        QTest::addColumn<QString>("files");      // in the folder the user saved into
        QTest::addColumn<QString>("requests");   // path=count the server saw, if it matters

        const QString refused = "Wavecrest does not open \"%1:\" addresses";
        // Other programs: only http and https go to the desktop unasked.
        row("ssh: link in the page is refused", "/ssh", {"click", "msg:ok", "title:Ssh link"},
            {refused.arg("ssh")});
        row("steam: link to a new window is refused", "/steam", {"click", "msg:ok"},
            {refused.arg("steam")});
        row("vnd.ms-x: link is refused", "/vnd", {"click", "msg:ok"}, {refused.arg("vnd.ms-x")});
        row("file: link to a new window: the engine itself refuses it", "/file",
            {"click", "wait:1500"});
        row("mailto: shows the whole address, No opens nothing", "/mail", {"click", "msg:no"},
            {"mailto:x@y?attach=/etc/passwd&body=hello"});
        row("mailto: in a new window, Yes opens the mail program", "/mailnew", {"click", "msg:yes"},
            {"mailto:dj@station.example"}, {"mailto:dj@station.example"});
        row("http link to a new window goes to the browser unasked", "/web", {"click", "wait:1000"},
            {}, {"${url}/other"});
        row("schemes by script without a click: nothing, not even a message", "/sneaky",
            {"wait:2000", "title:Sneaky"});
        row("typed ssh: address is refused", "/room",
            {"title:Chat room", "type:ssh://user@host/", "msg:ok", "title:Chat room"},
            {refused.arg("ssh")});
        row("typed mailto: asks first", "/room",
            {"title:Chat room", "type:mailto:x@y?attach=/etc/passwd", "msg:no"},
            {"mailto:x@y?attach=/etc/passwd"});

        // Boxes: the window stays usable, and the page can be stopped.
        row("alert() in a loop: Exit in two clicks, the player runs, stopped at box 2", "/alerts",
            {"box:ok", "boxshown", "exit", "alive", "box:stop", "chatalive"},
            {"${site} says: On air now", "${site} says: On air now"});
        row("confirm and prompt: a stopped page gets false and null", "/questions",
            {"box:ok", "box:stop", "title:[true,true,false,false,null]"}, {"Sure?", "Sure?"});
        row("leave-page question: Stay stays, Leave leaves", "/leave",
            {"title:Leave page", "click", "type:${url}/room", "box:cancel", "title:Leave page",
             "type:${url}/room", "box:ok", "title:Chat room"},
            {"Leave this page?", "Leave this page?"});

        // Downloads.
        row("download storm without a click: no Save As; one click, one Save As", "/storm",
            {"wait:2500", "exit", "click", "save:storm.mp3", "msg:ok", "wait:2000"},
            {"Save As in ${home} as song.mp3", "storm.mp3 has been downloaded"}, {}, "storm.mp3");
        row("download cut off by the server: one message, nothing kept, the engine's own retry "
            "cut short",
            "/cutpage", {"click", "save:cut.bin", "msg:ok", "wait:2000"},
            {"Save As in ${home} as cut.bin",
             "cut.bin could not be downloaded: only 98 KB of 488 KB arrived"},
            {}, "", "/cut.bin=2");
        row("Save As cancelled: no progress box stays", "/cutpage",
            {"click", "save:-", "wait:1500"}, {"Save As in ${home} as cut.bin"}, {}, "",
            "/cut.bin=1");
        row("download stalled: the progress box's Cancel ends it, nothing kept", "/stallpage",
            {"click", "save:stall.bin", "progress:cancel", "wait:1000"},
            {"Save As in ${home} as stall.bin"}, {}, "", "/stall.bin=1");
        // download="../../../root/.bashrc", and a header's .bashrc: a plain name, no dot.
        for (const char* page : {"/hidden", "/dotfile"})
            row(page, page, {"click", "save:kept.txt", "msg:ok"},
                {"Save As in ${home} as bashrc", "kept.txt has been downloaded"}, {}, "kept.txt");

        // Crashes and outages heal; each pane's pages run in a page process of their own.
        row("page process killed twice: reloads once, then offers to", "/room",
            {"title:Chat room", "ownprocess", "kill", "notice:stopped working", "nonotice",
             "title:Chat room", "kill", "notice:stopped working again", "wait:2000",
             "notice:Load it again", "noticelink", "nonotice", "title:Chat room"},
            {}, {}, "", "/room=3");
        row("chrome://crash typed into the chat box: the pane comes back", "/room",
            {"title:Chat room", "type:chrome://crash", "notice:stopped working", "nonotice",
             "title:Chat room"});
        row("station down at start: both panes back within 15 s of its return", "/room",
            {"down", "wait:3000", "notice:does not answer", "title:Working...", "wait:6000", "up",
             "title:Chat room @15000", "nonotice", "alive"});

        // Logins, each on a site of its own.
        const auto login = [this](int site) {
            return QStringList{loginSites[site].address("").mid(7) +
                               " asks for a user name and password"};
        };
        row("20 images behind a login: one box, its answer for all",
            loginSites[0].address("/gallery"), {"login:dj:onair", "title:20 shown, 0 failed"},
            login(0));
        row("20 images, Cancel: one box cancels them all", loginSites[1].address("/gallery"),
            {"login:cancel", "title:0 shown, 20 failed"}, login(1));
        row("20 images, wrong answers: asked three times, then no more",
            loginSites[2].address("/gallery"),
            {"login:dj:no", "login:dj:nope", "login:dj:never", "title:0 shown, 20 failed"},
            login(2) + login(2) + login(2));
    }

    void hostilePage() {
        QFETCH(QString, page);
        QFETCH(QStringList, script);
        QFETCH(QStringList, seen);
        QFETCH(QStringList, handed);
        QFETCH(QString, files);
        QFETCH(QString, requests);
        shell.opened.clear();
        QTemporaryDir saveFolder;
        const QString homeBefore = visibleFilesIn(homeFolder);
        const QString programBefore = visibleFilesIn(QDir::currentPath());
        const int requestsBefore =
            requests.isEmpty() ? 0 : server.requests(requests.section('=', 0, 0));

        auto window = std::make_unique<FrmMain>();
        window->cboAddressPlay->setEditText(server.address("/clock"));
        window->cboAddressChat->setEditText(page.startsWith("http") ? page : server.address(page));
        User user;
        for (const QString& step : script)
            user.steps << (step == "exit" ? exitSteps : QStringList{step});
        if (user.steps.value(0) == "down") {
            server.goDown();
            user.next = 1;
        }
        window->show();
        window->Form_Load();
        user.sinceStep.start();
        QTimer driver;
        connect(&driver, &QTimer::timeout, this, [&] { tick(*window, user, saveFolder.path()); });
        driver.start(30);
        QTRY_VERIFY_WITH_TIMEOUT(user.done(), 120000);
        // After every row: Exit is two clicks away, the player runs.
        user.steps << exitSteps << "alive";
        QTRY_VERIFY_WITH_TIMEOUT(user.done(), 30000);
        const QString failure = user.failure;
        const bool boxesLeft =
            !paneBoxes().isEmpty() || QApplication::activeModalWidget() || progressShown();
        user.closing = true;
        closeEverything();
        if (!server.isListening())
            server.comeBack();
        QVERIFY2(failure.isEmpty(), qPrintable(failure + "\nseen: " + user.seen.join(" | ")));
        QVERIFY2(!boxesLeft, "a box, dialog or progress is still shown");

        QCOMPARE(user.seen.size(), seen.size());
        for (qsizetype i = 0; i < seen.size(); ++i) {
            const QString expected = expand(seen[i]).replace("${home}", homeFolder);
            QVERIFY2(
                user.seen[i].contains(expected),
                qPrintable(
                    QString("box %1 said \"%2\", not \"%3\"").arg(i).arg(user.seen[i], expected)));
        }
        QStringList opened, expectedHanded;
        for (const std::string& address : shell.opened)
            opened << QString::fromStdString(address);
        for (const QString& address : handed)
            expectedHanded << expand(address);
        QCOMPARE(opened, expectedHanded);
        QCOMPARE(visibleFilesIn(saveFolder.path()), files);
        QCOMPARE(visibleFilesIn(homeFolder), homeBefore);
        QCOMPARE(visibleFilesIn(QDir::currentPath()), programBefore);
        if (!requests.isEmpty())
            QCOMPARE(server.requests(requests.section('=', 0, 0)) - requestsBefore,
                     requests.section('=', 1).toInt());
        // "Working..." never outlives the load: the chat timer has stopped.
        QTRY_VERIFY_WITH_TIMEOUT(!window->timTimerChat->isTicking(), 20000);
        QVERIFY(!window->brwWebBrowserChat->Busy());
        QCOMPARE(platform::PaneWait::Active(), 0);
    }

    // A page never holds the window open: closing it with a page's box up
    // (an alert's, or a question the page waits on) closes the box and then
    // the window; a leave-page question is not asked.
    void closingIsNeverHeld() {
        for (const char* path : {"/alerts", "/questions", "/nagging", "/leave"}) {
            auto* window = new FrmMain; // deleted on close
            QPointer<FrmMain> alive(window);
            window->cboAddressPlay->setEditText(server.address("/clock"));
            window->cboAddressChat->setEditText(server.address(path));
            window->show();
            window->Form_Load();
            bool closed = false;
            QTimer closer;
            connect(&closer, &QTimer::timeout, this, [&] {
                const bool leave = QString(path) == "/leave";
                if (!alive || closed ||
                    !(leave ? window->windowTitle() == "Leave page" : !paneBoxes().isEmpty()))
                    return;
                if (leave) // the page has the user's click it needs to ask
                    QTest::mouseClick(window->brwWebBrowserChat->widget()->focusProxy(),
                                      Qt::LeftButton, {}, QPoint(50, 40));
                closed = true;
                window->close();
            });
            closer.start(50);
            QTRY_VERIFY_WITH_TIMEOUT(closed, 20000);
            QTRY_VERIFY_WITH_TIMEOUT(!alive, 10000);
            QVERIFY(paneBoxes().isEmpty());
            QVERIFY(!QApplication::activeModalWidget());
        }
    }
};

int main(int argc, char** argv) {
    // The user's home for this run, with no Downloads folder in it.
    QTemporaryDir home;
    homeFolder = QDir(home.path()).canonicalPath();
    qputenv("HOME", homeFolder.toLocal8Bit());
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_DOWNLOAD_DIR");
    // The rows run in one test function, longer than QtTest's default allows.
    qputenv("QTEST_FUNCTION_TIMEOUT", "1500000");
    platform::PrepareWebEngine();
    QApplication app(argc, argv);
    TestHostilePages test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_hostilepages.moc"
