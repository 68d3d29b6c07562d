// Hostile pages against the real engine in the real main window. Each row
// serves a page from a local server into the chat pane (the player pane
// shows a page whose clock ticks) and plays a user through it with real
// clicks and keys on the real boxes, message boxes and file dialogs. After
// every row the user can still reach Exit in two clicks, the player pane
// still runs, nothing was handed to the desktop but what the row expects,
// no file was written but the one chosen, and the chat timer has stopped.
//
// The user's steps are described in PaneUser.h.
#include "HostilePages.h"
#include "PaneUser.h"
#include "core/Services.h"
#include "fakes/FakeShell.h"
#include "panes/PaneWait.h"
#include "panes/WebEngineBrowserFactory.h"
#include "panes/WebEngineSetup.h"
#include "ui/QtMsgBox.h"

#include <memory>

namespace {

QString homeFolder; // the user's home for this run: empty, with no Downloads folder

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
    SlowHttpServer realmSite;
    SlowHttpServer frameSites[60]; // a site of its own for each frame of a page
    int exitRequests = 0;
    // Menu, then Exit: each click does its part at once or never.
    const QStringList exitSteps{"exitmenu", "exititem @2000", "exited @2000"};
    const QByteArray song = "ID3" + QByteArray(300000, 'x');

    // A dialog that shows while no row's user is there to answer it, and
    // nothing else does: it is closed at once and fails the test.
    PaneUser* user = nullptr;
    QString unexpected;
    QTimer watchdog;

    static QList<QDialog*> paneBoxes() { return PaneUser::paneBoxes(); }
    static void closeEverything() { PaneUser::closeEverything(); }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(server.isListening());
        AddHostilePages(server, loginSites, realmSite, song);
        AddFramePages(server, frameSites);
        AddDownloadNamePages(server, song);
        platform::install({.messageBox = &boxes, .shell = &shell, .browsers = &browsers});
        platform::LoadedWindows::setEndProgram([this] { ++exitRequests; });
        connect(&watchdog, &QTimer::timeout, this, [this] {
            auto* modal = QApplication::activeModalWidget();
            if (user || !modal)
                return;
            unexpected += PaneUser::Describe(modal) + "; ";
            closeEverything();
        });
        watchdog.start(100);
    }
    void cleanup() { QVERIFY2(std::exchange(unexpected, {}).isEmpty(), qPrintable(unexpected)); }

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
        row("mailto: Enter answers No, opening nothing", "/mail", {"click", "msg:enter"},
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
            {"The page at ${site} says: On air now", "The page at ${site} says: On air now"});
        row("confirm and prompt: a stopped page gets false and null", "/questions",
            {"box:ok", "box:stop", "title:[true,true,false,false,null]"}, {"Sure?", "Sure?"});
        row("permission question over the pane: Don't allow denies", "/notify",
            {"box:cancel", "pagetitle:denied"}, {"asks to show notifications"});
        // A page and its frames are one page: one tick stops their boxes and logins.
        row("frames from 60 sites looping alerts and logins: stopped at the second box", "/frames",
            {"any:escape", "any:stop", "title:Frames", "quiet:3000"}, {"An embedded page at", ""});
        const QString loginBox = "asks for a user name and password";
        row("frames from 60 sites asking for logins: three boxes for the page", "/loginframes",
            {"login:escape", "login:escape", "login:escape", "title:Login frames", "quiet:2000"},
            {loginBox, loginBox, loginBox});
        row("frames from 60 sites asking for the microphone: refused, nobody asked",
            "/askingframes", {"pagetitle:{\"NotAllowedError\":60}", "quiet:1000"});
        row("a frame's permission question leaves Exit two clicks away", "/micframe",
            {"boxshown", "exit", "alive", "box:cancel", "pagetitle:{\"NotAllowedError\":1}"},
            {"${site} asks to use your microphone"});
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

        // Names that mislead or overflow: plain names that fit, with their part file.
        row("direction override in a download's name: removed", "/overridepage",
            {"click", "save:=", "msg:ok"},
            {"Save As in ${home} as song3pm.desktop",
             "song3pm.desktop has been downloaded to ${folder}/song3pm.desktop."},
            {}, "song3pm.desktop");
        row("a download that cannot be written: one message, and its progress goes with it",
            "/overridepage",
            {"folder:song.mp3.part", "click", "save:song.mp3", "msg:ok", "wait:1000"},
            {"Save As in ${home} as song3pm.desktop", "song.mp3 could not be downloaded"});
        // 255 bytes in all, with ".part" and the engine's ".crdownload" while it writes.
        const QString fits = QString(235, 'a') + ".mp3";
        row("a 252-byte name: shortened so that its part file fits", "/long252page",
            {"click", "save:=", "msg:ok"}, {"Save As in ${home} as " + fits, "has been downloaded"},
            {}, fits);
        const QString fitsLetters = QString(148, 'a') + QString(43, QChar(0xe9)) + ".mp3";
        row("a 300-byte name: shortened between letters, keeping its extension", "/long300page",
            {"click", "save:=", "msg:ok"},
            {"Save As in ${home} as " + fitsLetters, "has been downloaded"}, {}, fitsLetters);
        row("a long name's progress box fits the screen and goes with its download",
            "/longstallpage", {"click", "save:=", "progress:cancel", "wait:1000"},
            {"Save As in ${home} as bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb"});

        // Crashes and outages heal; each pane's pages run in a page process of their own.
        row("page process killed twice: reloads once, then offers to", "/room",
            {"title:Chat room", "ownprocess", "kill", "notice:stopped working", "nonotice",
             "title:Chat room", "kill", "notice:stopped working again",
             "title:This page stopped working", "wait:2000", "notice:Load it again", "noticelink",
             "nonotice", "title:Chat room"},
            {}, {}, "", "/room=3");
        row("a page that crashes once loaded: \"Load it again\" is the one reload", "/room",
            {"title:Chat room", "kill", "notice:stopped working", "pagetitle:Chat room", "kill",
             "notice:stopped working again", "title:This page stopped working", "noticelink",
             "title:Chat room", "kill", "notice:stopped working again", "wait:3000",
             "notice:stopped working again", "title:This page stopped working"});
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
        // 300 requests, each with a realm of its own.
        const QString realms = realmSite.address("/realms");
        const QStringList realmLogin{realmSite.address("").mid(7) +
                                     " asks for a user name and password"};
        row("300 realms: three Escapes, then the page asks no more", realms,
            {"login:escape", "login:escape", "login:escape", "wait:1500"},
            realmLogin + realmLogin + realmLogin);
        row("300 realms: stopped at the second box", realms,
            {"login:escape", "login:stop", "wait:1500"}, realmLogin + realmLogin);
        row("300 realms: Refresh leaves the page at once, the page loaded again asks afresh",
            realms,
            {"boxshown", "refresh", "login:escape @3000", "login:escape", "login:escape",
             "wait:1500"},
            realmLogin + realmLogin + realmLogin);
        row("300 realms: a typed address leaves the page at once", realms,
            {"boxshown", "type:${url}/room", "title:Chat room @5000"});
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
        PaneUser played(*window, server, exitRequests, saveFolder.path());
        user = &played;
        const auto stopPlaying = qScopeGuard([this] { user = nullptr; });
        for (const QString& step : script)
            played.steps << (step == "exit" ? exitSteps : QStringList{step});
        if (played.steps.value(0) == "down") {
            server.goDown();
            played.next = 1;
        }
        window->show();
        window->Form_Load();
        played.sinceStep.start();
        QTimer driver;
        connect(&driver, &QTimer::timeout, this, [&] { played.tick(); });
        driver.start(30);
        QTRY_VERIFY_WITH_TIMEOUT(played.done(), 120000);
        // After every row: Exit is two clicks away, the player runs.
        played.steps << exitSteps << "alive";
        QTRY_VERIFY_WITH_TIMEOUT(played.done(), 30000);
        const QString failure = played.failure;
        const bool boxesLeft = !paneBoxes().isEmpty() || QApplication::activeModalWidget() ||
                               PaneUser::progressShown();
        played.closing = true;
        closeEverything();
        if (!server.isListening())
            server.comeBack();
        QVERIFY2(failure.isEmpty(), qPrintable(failure + "\nseen: " + played.seen.join(" | ")));
        QVERIFY2(!boxesLeft, "a box, dialog or progress is still shown");

        QCOMPARE(played.seen.size(), seen.size());
        for (qsizetype i = 0; i < seen.size(); ++i) {
            const QString expected = played.expand(seen[i])
                                         .replace("${home}", homeFolder)
                                         .replace("${folder}", saveFolder.path());
            QVERIFY2(played.seen[i].contains(expected),
                     qPrintable(QString("box %1 said \"%2\", not \"%3\"")
                                    .arg(i)
                                    .arg(played.seen[i], expected)));
        }
        QStringList opened, expectedHanded;
        for (const std::string& address : shell.opened)
            opened << QString::fromStdString(address);
        for (const QString& address : handed)
            expectedHanded << played.expand(address);
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
    // A test machine has no microphone: the engine's stand-in lets pages ask for one.
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
            qgetenv("QTWEBENGINE_CHROMIUM_FLAGS") + " --use-fake-device-for-media-stream");
    QApplication app(argc, argv);
    TestHostilePages test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_hostilepages.moc"
