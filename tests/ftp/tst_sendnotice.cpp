// A send started as the uploader starts it (window state 2, on a display),
// its notice read where a desktop's notification service gets it.
#include <QApplication>
#include <QDBusConnection>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "FtpServerFixture.h"
#include "ProjectSettings.h"
#include "send_window/TranscriptWindow.h"
#include "support/XvfbDisplay.h"

// The desktop's notification service: records each notice it is asked to show.
class NoticeRecorder : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList notices;  // title, a blank line, the body
    QString desktopEntry; // the program whose name and icon the desktop shows with it
public Q_SLOTS:
    QStringList GetCapabilities() { return {"body", "body-markup"}; }
    uint Notify(const QString&, uint, const QString&, const QString& title, const QString& body,
                const QStringList&, const QVariantMap& hints, int) {
        notices << title + "\n\n" + body;
        desktopEntry = hints.value("desktop-entry").toString();
        return uint(notices.size());
    }
};

// A process ended with the case, whatever its result.
struct OwnProcess : QProcess {
    ~OwnProcess() override { kill(), waitForFinished(5000); }
};

class SendNoticeTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void notice_data();
    void notice();
    void closingAsksFirst();
};

void SendNoticeTest::notice_data() {
    QTest::addColumn<QStringList>("songs");
    QTest::addColumn<QString>("server");    // up, slow (1 MB/s, cancelled), cut (drops one)
    QTest::addColumn<QString>("desktop");   // notices, no service
    QTest::addColumn<QStringList>("shown"); // parts of the notice; empty: no notice
    const QString failed = "Sending the songs to the show failed";
    const QString open = "The transcript window is open";
    // clang-format off
    QTest::newRow("five songs, names escaped and counted past three")
        << QStringList{"a.mp3", "b & b.mp3", "c.mp3", "d.mp3", "e.mp3"} << "up" << "notices"
        << QStringList{"5 songs sent to the show\n\na.mp3, b &amp; b.mp3, c.mp3 and 2 more"};
    QTest::newRow("slow: the title tells how far, Cancel stops it")
        << QStringList{"a.mp3", "b.mp3"} << "slow" << "notices"
        << QStringList{failed, "Sending cancelled by the user.\nStopped: a.mp3\nNot sent: b.mp3", open};
    QTest::newRow("one transfer cut off")
        << QStringList{"a.mp3", "b.mp3"} << "cut" << "notices"
        << QStringList{failed, "temp/a.mp3 was not sent", "Not sent: a.mp3\nSent: b.mp3", open};
    QTest::newRow("no service") << QStringList{"a.mp3"} << "up" << "no service" << QStringList{};
}

void SendNoticeTest::notice() {
    QFETCH(QStringList, songs);
    QFETCH(QString, server);
    QFETCH(QString, desktop);
    QFETCH(QStringList, shown);
    XvfbDisplay display;
    REQUIRE_XVFB(display);
    OwnProcess busDaemon; // a session bus of this case alone
    busDaemon.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    QVERIFY(busDaemon.waitForReadyRead(10000));
    const QString busAddress = QString::fromUtf8(busDaemon.readLine().trimmed());
    NoticeRecorder recorder;
    auto bus = QDBusConnection::connectToBus(busAddress, QTest::currentDataTag());
    QVERIFY(desktop == "no service" ||
            (bus.registerService("org.freedesktop.Notifications") &&
             bus.registerObject("/org/freedesktop/Notifications", &recorder,
                                QDBusConnection::ExportAllSlots)));

    using Peer = FtpServerFixture::Peer;
    FtpServerFixture ftpServer(server == "slow" ? Peer::Throttle : Peer::Rogue,
                               server == "cut" ? "drop" : "");
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkdir("temp"));
    for (const QString& song : songs) {
        QFile file(folder.filePath("temp/" + song));
        const int size = server == "slow" ? 4 << 20 : 300000;
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(size, 'x')) > 0);
    }
    QFile script(folder.filePath("sendfiles.ftps"));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write( // in ASCII a song cut off is not sent again
        QString("open 127.0.0.1 %1\n%2\n%3\n%4\nprompt\nmput temp/*.mp3\nbye\n")
            .arg(QString::number(ftpServer.port()), FtpServerFixture::kUser, FtpServerFixture::kPassword,
                 server == "cut" ? "ascii" : "binary")
            .toUtf8());
    script.close();

    QProcessEnvironment environment = display.environment();
    environment.insert("WAVECREST_SHOW_WINDOW", "2");
    environment.insert("DBUS_SESSION_BUS_ADDRESS", busAddress);
    environment.remove("XDG_RUNTIME_DIR"); // Qt notes that, for its developers only
    OwnProcess client;
    client.setProcessEnvironment(environment);
    client.setWorkingDirectory(folder.path());
    QSignalSpy ended(&client, &QProcess::finished);
    client.start(qEnvironmentVariable("WAVECREST_BIN") + "/ftp.exe", {"-s:sendfiles.ftps"});
    if (server == "slow") { // the minimized window's taskbar entry shows the progress
        QString window;
        QTRY_VERIFY_WITH_TIMEOUT(
            !(window = display.xdotool({"search", "--name", "^[0-9]+% - sending 1 of 2 - ftp "}))
                 .isEmpty(),
            30000);
        display.xdotool({"windowfocus", "--sync", window.section('\n', 0, 0)});
        display.xdotool({"key", "space"}); // on Cancel, the window's first control
    }
    if (server == "up") { // the window goes as before, with or without a notice
        QVERIFY(ended.wait(30000));
        QCOMPARE(client.exitCode(), 0);
    } else { // the notice comes while the window stays for the user
        QTRY_VERIFY_WITH_TIMEOUT(!recorder.notices.isEmpty(), 30000);
        QVERIFY(server != "slow" || ftpServer.tree().isEmpty()); // the song cut off is removed
        QCOMPARE(client.state(), QProcess::Running);
        const QString window = display.xdotool(
            {"search", "--pid", QString::number(client.processId()), "--name", "^ftp "});
        QProcess xprop; // the window class ties the window to the program's desktop entry
        xprop.start("xprop", {"-id", window.section('\n', 0, 0), "WM_CLASS"});
        QVERIFY(xprop.waitForFinished(5000) && xprop.readAll().contains("\"Wavecrest\""));
    }
    QCOMPARE(recorder.notices.size(), shown.isEmpty() ? 0 : 1);
    QCOMPARE(recorder.desktopEntry, QString(shown.isEmpty() ? "" : settings::kDesktopId));
    QCOMPARE(client.readAllStandardOutput() + client.readAllStandardError(),
             QByteArray()); // the window has it all
    for (const QString& part : shown)
        QVERIFY2(recorder.notices.first().contains(part), qPrintable(recorder.notices.first()));
}

// Closing the window while it sends asks first: No keeps the send; Yes
// cancels it, and the window goes once the send has ended.
void SendNoticeTest::closingAsksFirst() {
    for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
        int cancelled = 0;
        ftp::TranscriptWindow window("ftp -s:sendfiles.ftps", [&cancelled] { ++cancelled; });
        window.show();
        QString asked;
        QTimer::singleShot(0, [&asked, answer] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            asked = box ? box->text() : "no question";
            box ? box->button(answer)->click() : void();
        });
        window.close();
        QCOMPARE(asked, QString("Cancel the running send?"));
        QCOMPARE(cancelled, answer == QMessageBox::Yes ? 1 : 0);
        QVERIFY(window.isVisible());
        window.Finish(false);
        QCOMPARE(window.isVisible(), answer == QMessageBox::No);
    }
}

QTEST_MAIN(SendNoticeTest)
#include "tst_sendnotice.moc"
