// The real web panes on Qt WebEngine, loading pages from a local server:
// the title sequence, Enter and Stop, and what pages ask.
#include "core/Services.h"
#include "fakes/FakeMediaControls.h"
#include "fakes/FakeMsgBox.h"
#include "fakes/FakeShell.h"
#include "fakes/FakeWebDialogs.h"
#include "main_window/FrmMain.h"
#include "panes/PaneHealing.h"
#include "panes/WebDownloads.h"
#include "panes/WebEngineBrowserFactory.h"
#include "panes/WebEngineSetup.h"
#include "panes/media/PageMediaReader.h"
#include "support/SlowHttpServer.h"

#include <QComboBox>
#include <QMessageBox>
#include <QtTest>
#include <ctime>

class TestWebPane : public QObject {
    Q_OBJECT

    FakeWebDialogs dialogs;
    FakeShell shell;
    FakeMsgBox boxes;
    FakeMediaControls* desktop = nullptr; // the panes' media controls
    platform::WebEngineBrowserFactory browsers{dialogs, [this] {
                                                   auto made =
                                                       std::make_unique<FakeMediaControls>();
                                                   desktop = made.get();
                                                   return made;
                                               }};
    SlowHttpServer server;
    SlowHttpServer otherSite;
    const QByteArray song = "ID3" + QByteArray(300000, 'x');

    // A second of silence-free tone, as a WAV file (8 kHz, 8 bits, mono).
    static QByteArray secondOfTone() {
        const auto le = [](quint32 value, int bytes) {
            QByteArray out;
            for (int i = 0; i < bytes; ++i)
                out += char((value >> (8 * i)) & 0xff);
            return out;
        };
        QByteArray samples(8000, '\0');
        for (int i = 0; i < samples.size(); ++i)
            samples[i] = char(i % 16 < 8 ? 96 : 160);
        return "RIFF" + le(36 + 8000, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) +
               le(8000, 4) + le(8000, 4) + le(1, 2) + le(8, 2) + "data" + le(8000, 4) + samples;
    }
    // A 1x1 picture.
    static QByteArray artPng() {
        return QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR4"
                                      "2mP8z8DwHwAFBQIAX8jx0gAAAABJRU5ErkJggg==");
    }
    static QByteArray onAir(const QByteArray& metadata) {
        return "<script>navigator.mediaSession.metadata = new MediaMetadata(" + metadata +
               ")</script>";
    }
    static QString playbackOf(const platform::MediaState& state) {
        using Playback = platform::MediaState::Playback;
        return state.playback == Playback::Playing  ? "Playing"
               : state.playback == Playback::Paused ? "Paused"
                                                    : "Stopped";
    }
    std::unique_ptr<platform::WebBrowser> showPane(QWidget& host, const QString& path) {
        std::unique_ptr<platform::WebBrowser> browser(browsers.Create(&host));
        desktop->shown = {}; // what the pane shows, not what an earlier one did
        host.show();
        browser->Navigate(server.address(path));
        return browser;
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(server.isListening());
        server.addPage("/player", {"Player"});
        server.addPage("/chat", {"Slow chat room", 1500});
        server.addPage("/other", {"Other room"});
        server.addPage("/never", {"Never shown", 60000});
        server.addPage("/link", {"Link", 0,
                                 "<a target=_blank href=/other>x</a>"
                                 "<script>document.links[0].focus()</script>"});
        server.addPage("/popup", {"Popup", 0, "<script>window.open('/other')</script>"});
        server.addPage("/song.mp3",
                       {"", 0, song, "Content-Disposition: attachment; filename=song.mp3\r\n"});
        server.addPage("/studio", {"Studio", 0, {}, {}, "dj:onair"});
        for (SlowHttpServer* site : {&server, &otherSite})
            site->addPage("/notify", {"Ask", 0,
                                      "<script>Notification.requestPermission()"
                                      ".then(answer => document.title = answer)</script>"});
        server.addPage("/alert", {"Alert", 0, "<script>alert('On air in five')</script>"});
        server.addPage("/tone.wav", {"", 0, secondOfTone(), "Content-Type: audio/wav\r\n"});
        server.addPage("/notimage", {"Not an image"});
        server.addPage("/art.png", {"", 0, artPng(), "Content-Type: image/png\r\n"});
        platform::install({.messageBox = &boxes, .shell = &shell, .browsers = &browsers});
        platform::LoadedWindows::setEndProgram([] {});
    }

    // A bare host in the address box is an http address.
    void titleGoesWorkingThenChatTitle() {
        FrmMain window;
        window.cboAddressPlay->setEditText(server.address("/player"));
        window.cboAddressChat->setEditText(server.address("/chat").mid(7));
        QStringList titles{window.windowTitle()};
        connect(&window, &QWidget::windowTitleChanged, this, [&](const QString& title) {
            if (titles.last() != title)
                titles << title;
        });
        window.show();
        window.Form_Load();
        QTRY_COMPARE_WITH_TIMEOUT(window.windowTitle(), QString("Slow chat room"), 20000);
        QCOMPARE(titles, (QStringList{"Form1", "Working...", "Slow chat room"}));
        QVERIFY(!window.timTimerChat->isTicking());

        // A second navigation during a slow load, then a jump within the page:
        // the title follows the newest as soon as its page is shown.
        const auto enter = [&](const QString& path) {
            window.cboAddressChat->setEditText(server.address(path));
            QTest::keyClick(window.cboAddressChat, Qt::Key_Return);
        };
        enter("/chat");
        QTRY_VERIFY_WITH_TIMEOUT(server.requests("/chat") > 1, 10000);
        for (const QString& path : {QString("/other"), QString("/other#x")}) {
            enter(path);
            QTRY_COMPARE_WITH_TIMEOUT(window.brwWebBrowserChat->LocationName(),
                                      QString("Other room"), 20000);
            QTRY_VERIFY_WITH_TIMEOUT(!window.timTimerChat->isTicking(), 2000);
            QCOMPARE(window.windowTitle(), QString("Other room"));
        }
        QCOMPARE(window.cboAddressChat->count(), 0);

        // Stop during a load that never ends shows the title of what the pane shows.
        window.cboAddressChat->setEditText(server.address("/never"));
        window.Command1_Click();
        QTRY_COMPARE_WITH_TIMEOUT(window.windowTitle(), QString("Working..."), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(server.requests("/never") > 0, 10000);
        window.StopChat_Click();
        QVERIFY(!window.brwWebBrowserChat->Busy());
        QCOMPARE(window.windowTitle(), window.brwWebBrowserChat->LocationName());
    }

    // What a page asks of its browser, answered as the user would.
    void pageAsks_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("answer"); // to the dialog or question box
        QTest::addColumn<QString>("title");  // of the page then shown
        QTest::addColumn<QString>("asked");  // address opened in the default browser, or dialog
        const auto at = [this](const char* path) { return server.address(path); };
        const QString site = at("").mid(7);
        const QString other = otherSite.address("").mid(7);
        const QString saveAt = platform::WebDownloads::StartFolder() + "/song.mp3";
        QTest::newRow("target _blank link") << at("/link") << ""
                                            << "Link" << at("/other");
        QTest::newRow("pop-up by itself") << at("/popup") << ""
                                          << "Popup"
                                          << "";
        QTest::newRow("download saved") << at("/song.mp3") << "save"
                                        << "" << saveAt;
        QTest::newRow("login") << at("/studio") << "dj:onair"
                               << "Studio" << site + " Studio";
        // Over the pane, like its boxes, not the window's message box.
        QTest::newRow("notifications allowed")
            << at("/notify") << "yes"
            << "granted" << site + " says " + site + " asks to show notifications.";
        QTest::newRow("another site asks again")
            << otherSite.address("/notify") << "no"
            << "denied" << other + " says " + other + " asks to show notifications.";
        QTest::newRow("the site allowed is not asked again") << at("/notify") << ""
                                                             << "granted"
                                                             << "";
    }

    void pageAsks() {
        QFETCH(QString, address);
        QFETCH(QString, answer);
        QFETCH(QString, title);
        QFETCH(QString, asked);
        QTemporaryDir folder;
        shell.opened.clear(), boxes.shown.clear(), dialogs.asked.clear();
        dialogs.offeredStop.clear();
        dialogs.saveAs = answer == "save" ? folder.filePath("song.mp3") : "";
        dialogs.login = answer.contains(':') ? answer : "";
        platform::PageDialogAnswer allow;
        allow.accepted = answer == "yes";
        dialogs.pageAnswers = {allow};
        QWidget host;
        host.resize(400, 300);
        std::unique_ptr<platform::WebBrowser> browser(browsers.Create(&host));
        browser->widget()->resize(host.size());
        host.show();
        host.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&host));
        browser->Navigate(address);
        if (!title.isEmpty())
            QTRY_COMPARE_WITH_TIMEOUT(browser->LocationName(), title, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!browser->Busy(), 20000);
        if (address.endsWith("/link")) // the user presses Enter on the link the page focused
            QTest::keyClick(browser->widget()->focusProxy(), Qt::Key_Return);
        const auto askedNow = [&] {
            QStringList all = dialogs.asked;
            for (const std::string& opened : shell.opened)
                all << QString::fromStdString(opened);
            return all.join("; ");
        };
        QTRY_COMPARE_WITH_TIMEOUT(askedNow(), asked, 20000);
        // The one message box is a download's end, never a page's question.
        QTRY_COMPARE_WITH_TIMEOUT(boxes.shown.size(), size_t(answer == "save" ? 1 : 0), 20000);
        // A permission question lets the user stop the page asking; a first login does not.
        QCOMPARE(dialogs.offeredStop, QList<bool>(asked.contains(" asks to ") ? 1 : 0, true) +
                                          QList<bool>(answer.contains(':') ? 1 : 0, false));
        // Whole under its own name and nothing beside it, or nothing at all.
        const QStringList files = QDir(folder.path()).entryList(QDir::Files);
        QCOMPARE(files, dialogs.saveAs.isEmpty() ? QStringList() : QStringList{"song.mp3"});
        if (!files.isEmpty()) {
            QFile saved(dialogs.saveAs);
            QVERIFY(saved.open(QIODevice::ReadOnly));
            QCOMPARE(saved.readAll(), song);
            QCOMPARE(dialogs.shownProgress, qint64(song.size()));
        }
    }

    // A page's script boxes go to the web dialogs, held over the pane; from a
    // site's second box on the user may stop them, and a stopped page gets a
    // browser's answers.
    void scriptBoxesAskThroughTheDialogs() {
        dialogs.asked.clear(), dialogs.offeredStop.clear();
        platform::PageDialogAnswer ok, stop;
        ok.accepted = stop.accepted = stop.stopPage = true;
        dialogs.pageAnswers = {ok, stop};
        server.addPage("/boxes", {"Boxes", 0,
                                  "<script>alert('On air in five'); const r = [];"
                                  "for (let i = 0; i < 3; ++i) r.push(confirm('Sure?'));"
                                  "r.push(prompt('Name?', 'dj'));"
                                  "document.title = JSON.stringify(r)</script>"});
        QWidget host;
        const auto browser = showPane(host, "/boxes");
        QTRY_COMPARE_WITH_TIMEOUT(browser->LocationName(), QString("[true,false,false,null]"),
                                  20000);
        const QString site = server.address("").mid(7);
        QCOMPARE(dialogs.asked, (QStringList{site + " says On air in five", site + " says Sure?"}));
        QCOMPARE(dialogs.offeredStop, (QList<bool>{false, true}));
    }

    // The engine leaves a page's garbage lying: the pane has it collected.
    void paneCollectsThePagesGarbage() {
        server.addPage("/garbage",
                       {"Waiting", 0,
                        "<script>window.left = new FinalizationRegistry(() => "
                        "document.title = 'Collected'); left.register({}, 0)</script>"});
        QWidget host;
        const auto browser = showPane(host, "/garbage");
        QTRY_COMPARE_WITH_TIMEOUT(browser->LocationName(), QString("Collected"), 90000);
    }

    // What plays in a pane reaches the desktop's media controls: the page's
    // own words, cleaned and cut to size, and its artwork as a file the pane
    // fetched itself.
    void desktopShowsWhatPlays_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("playback");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("artist");
        QTest::addColumn<QByteArray>("artwork"); // the bytes of the file the desktop gets
        QTest::addColumn<qint64>("lengthUs");    // 0: none, as for a live show
        const QByteArray plays = "<audio src=/tone.wav autoplay loop></audio>";
        const QByteArray site = server.address("").mid(7).toUtf8();
        const auto showWithArt = [&](const QByteArray& art) {
            return plays +
                   onAir("{title: 'Tones', artist: 'Radio', artwork: [{src: '" + art + "'}]}");
        };
        const qint64 second = 1000000;
        QTest::newRow("the show") << showWithArt("/art.png") << "Playing"
                                  << "Tones"
                                  << "Radio" << artPng() << second;
        QTest::newRow("artwork named with credentials: fetched without them")
            << showWithArt("http://user:secret@" + site + "/art.png") << "Playing"
            << "Tones"
            << "Radio" << artPng() << second;
        QTest::newRow("artwork elsewhere on this machine: none")
            << showWithArt("http://127.0.0.1:1/internal/admin?delete=1") << "Playing"
            << "Tones"
            << "Radio" << QByteArray() << second;
        QTest::newRow("artwork that is not an image: none") << showWithArt("/notimage") << "Playing"
                                                            << "Tones"
                                                            << "Radio" << QByteArray() << second;
        QTest::newRow("no metadata: the page's title")
            << QByteArray("<audio src=/tone.wav></audio>") << "Paused"
            << "Media page"
            << "" << QByteArray() << second;
        QTest::newRow("endless title, artwork not on the web")
            << plays + onAir("{title: 'x'.repeat(1e6), artist: 'a\\n\\tb', "
                             "artwork: [{src: 'data:image/png;base64,' + 'A'.repeat(1e6)}]}")
            << "Playing" << QString(512, 'x') << "a b" << QByteArray() << second;
        QTest::newRow("control characters and direction overrides go, NUL cuts nothing")
            << plays + onAir("{title: '\\x1b]0;pwned\\x07\\x1b[2J\\x1b[31m red\\b\\u202e\\0tail',"
                             " artist: '\\x9b\\u2066a\\x85b\\u2069'}")
            << "Playing"
            << "]0;pwned[2J[31m redtail"
            << "a b" << QByteArray() << second;
        QTest::newRow("cut to size once cleaned")
            << plays + onAir("{title: '\\x1b'.repeat(1000) + 'y'.repeat(1000)}") << "Playing"
            << QString(512, 'y') << "" << QByteArray() << second;
        QTest::newRow("player made in script")
            << onAir("{title: 'Live'}") + "<script>navigator.mediaSession.playbackState = "
                                          "'playing'</script>"
            << "Playing"
            << "Live"
            << "" << QByteArray() << qint64(0);
    }
    void desktopShowsWhatPlays() {
        QFETCH(QByteArray, body);
        QFETCH(QString, playback);
        QFETCH(QString, title);
        QFETCH(QString, artist);
        QFETCH(QByteArray, artwork);
        QFETCH(qint64, lengthUs);
        server.addPage("/media", {"Media page", 0, body});
        QWidget host;
        const auto browser = showPane(host, "/media");
        QTRY_COMPARE_WITH_TIMEOUT(playbackOf(desktop->shown), playback, 30000);
        QTRY_COMPARE_WITH_TIMEOUT(desktop->shown.lengthUs, lengthUs, 30000);
        QTRY_COMPARE_WITH_TIMEOUT(desktop->shown.title, title, 10000);
        QCOMPARE(desktop->shown.artist, artist);
        if (artwork.isEmpty()) {
            if (body.contains("/notimage")) // asked for, and refused
                QTRY_VERIFY_WITH_TIMEOUT(server.requests("/notimage") > 0, 20000);
            QVERIFY2(desktop->shown.artwork.isEmpty(),
                     qPrintable(desktop->shown.artwork.toString()));
            return;
        }
        QTRY_VERIFY_WITH_TIMEOUT(desktop->shown.artwork.isLocalFile(), 20000);
        QFile kept(desktop->shown.artwork.toLocalFile());
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), artwork);
        const QByteArray asked = server.lastRequest("/art.png");
        QVERIFY2(!asked.contains("Authorization") && !asked.contains("secret"), asked.constData());
    }

    // The desktop's Play and Pause act on the pane's player; a pane that
    // goes with its window leaves the desktop's controls.
    void desktopPlaysAndPauses() {
        server.addPage("/playing", {"Playing", 0, "<audio src=/tone.wav autoplay loop></audio>"});
        auto host = std::make_unique<QWidget>();
        auto browser = showPane(*host, "/playing");
        QTRY_COMPARE_WITH_TIMEOUT(playbackOf(desktop->shown), QString("Playing"), 30000);
        for (const auto& [action, after] : {std::pair{platform::MediaAction::Pause, "Paused"},
                                            {platform::MediaAction::PlayPause, "Playing"},
                                            {platform::MediaAction::Stop, "Paused"},
                                            {platform::MediaAction::Play, "Playing"}}) {
            desktop->onAction(action);
            QTRY_COMPARE_WITH_TIMEOUT(playbackOf(desktop->shown), QString(after), 30000);
        }
        browser.reset();
        host.reset();
        QTRY_COMPARE_WITH_TIMEOUT(playbackOf(desktop->shown), QString("Stopped"), 30000);
    }

    // A page flipping play and pause and its metadata thousands of times a
    // second: the desktop sees a few updates a second, and the program's
    // own process (this one: the engine's pages run in processes of their
    // own) stays under a tenth of a core while the page makes 20,000 changes.
    void pageFloodKeepsOurPace() {
        server.addPage("/flood", {"Flood", 0,
                                  "<audio src=/tone.wav loop></audio><script>"
                                  "const a = document.querySelector('audio'); let n = 0;"
                                  "setInterval(() => { for (let i = 0; i < 20; ++i) {"
                                  "  if (a.paused) a.play().catch(() => {}); else a.pause();"
                                  "  navigator.mediaSession.metadata ="
                                  "    new MediaMetadata({title: 'flood ' + (++n)}) } }, 1)"
                                  "</script>"});
        QWidget host;
        const auto browser = showPane(host, "/flood");
        const auto changesMade = [this] { return desktop->shown.title.section(' ', 1).toInt(); };
        QTRY_VERIFY_WITH_TIMEOUT(changesMade() > 0, 30000);
        const int changesBefore = changesMade();
        const int showsBefore = desktop->shows;
        const std::clock_t cpuBefore = std::clock(); // this process's own time
        QElapsedTimer wall;
        wall.start();
        QTRY_VERIFY_WITH_TIMEOUT(changesMade() >= changesBefore + 20000, 120000);
        const double seconds = wall.elapsed() / 1000.0;
        const double cpu = double(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
        const int updates = desktop->shows - showsBefore;
        qInfo("%d updates and %.2f s of CPU in %.2f s", updates, cpu, seconds);
        QVERIFY2(updates <= 5 * seconds + 1, "more than a few updates a second");
        QVERIFY2(cpu < 0.10 * seconds, "the page sets the program's pace");
    }

    // Names a page suggests for a download, and the retry's pace.
    void safeFileNames_data() {
        QTest::addColumn<QString>("suggested");
        QTest::addColumn<QString>("name");
        QTest::newRow("hidden") << ".bashrc"
                                << "bashrc";
        QTest::newRow("climbing") << "../../../root/.bashrc"
                                  << "bashrc";
        QTest::newRow("windows path") << "..\\..\\autoexec.bat"
                                      << "autoexec.bat";
        QTest::newRow("only dots") << ".."
                                   << "download";
        QTest::newRow("empty") << ""
                               << "download";
        QTest::newRow("odd characters") << "a<b>:c?.mp3 "
                                        << "a_b__c_.mp3";
        // Invisible marks that make a name show other than it is.
        QTest::newRow("direction override")
            << QString::fromUtf8("song\u202e3pm.desktop") << "song3pm.desktop";
        QTest::newRow("isolates and joiners")
            << QString::fromUtf8("\u2066a\u200db\u2069\U000E0041.mp3") << "ab.mp3";
        // 239 bytes at most: ".part" and the engine's ".crdownload" fit after it.
        QTest::newRow("long: cut, extension kept")
            << QString(300, 'a') + ".mp3" << QString(235, 'a') + ".mp3";
        QTest::newRow("long: cut between letters")
            << QString(200, QChar(0x266b)) + ".mp3" << QString(78, QChar(0x266b)) + ".mp3";
        QTest::newRow("long: cut between surrogate pairs")
            << QString::fromUtf8(QByteArray(80, 'x') + QByteArray("\U0001F3B5").repeated(60))
            << QString::fromUtf8(QByteArray(80, 'x') + QByteArray("\U0001F3B5").repeated(39));
        QTest::newRow("long, with a long ending: cut as it is")
            << "a." + QString(300, 'b') << "a." + QString(237, 'b');
    }
    void safeFileNames() {
        QFETCH(QString, suggested);
        QFETCH(QString, name);
        QCOMPARE(platform::WebDownloads::SafeFileName(suggested), name);
    }
    void retryPace() {
        QVERIFY(platform::PaneHealing::RetryDelayMs(0) <= 10000);
        QVERIFY(platform::PaneHealing::RetryDelayMs(119000) <= 10000);
        QVERIFY(platform::PaneHealing::RetryDelayMs(3600000) >
                platform::PaneHealing::RetryDelayMs(0));
    }
};

int main(int argc, char** argv) {
    platform::PrepareWebEngine();
    QApplication app(argc, argv);
    TestWebPane test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_webpane.moc"
