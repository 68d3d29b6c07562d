// A send started as the uploader starts it (window state 2, on a display),
// its notice read where a desktop's notification service gets it; the
// transcript window's own texts.
#include <QAccessible>
#include <QApplication>
#include <QDBusConnection>
#include <QLayout>
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
    int urgency = 0;      // 1 normal, 2 critical (stays until dismissed)
public Q_SLOTS:
    QStringList GetCapabilities() { return {"body", "body-markup"}; }
    uint Notify(const QString&, uint, const QString&, const QString& title, const QString& body,
                const QStringList&, const QVariantMap& hints, int) {
        notices << title + "\n\n" + body;
        desktopEntry = hints.value("desktop-entry").toString();
        urgency = hints.value("urgency").toInt();
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
    void namesShownAsTyped_data();
    void namesShownAsTyped();
    void closingAsksFirst();
};

namespace {

constexpr const char* kWindowTitle = "Sending songs to the show";

// Every line of text in the window as a screen reader reads it, markup
// rendered as such.
QString ReadAloud(QWidget& window) {
    QStringList texts;
    for (QLabel* label : window.findChildren<QLabel*>())
        texts << QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name);
    return texts.join('\n');
}

// The window of `client` whose title matches `pattern`, or an empty text.
QString ClientWindow(const XvfbDisplay& display, const QProcess& client, const QString& pattern) {
    return display
        .xdotool(
            {"search", "--all", "--pid", QString::number(client.processId()), "--name", pattern})
        .section('\n', 0, 0);
}

// `format` as xprop's: "8s" for text, "32c" for an icon's numbers.
QByteArray WindowProperty(const QString& window, const QString& property, const QString& format) {
    QProcess xprop;
    xprop.start("xprop",
                {"-id", window, "-len", "1000000", "-notype", "-f", property, format, property});
    return xprop.waitForFinished(5000) ? xprop.readAll().trimmed() : QByteArray();
}

// The icon the program shows in its own windows, as a window manager reads it
// (held premultiplied on the way, as a pixmap holds it).
QByteArray ProgramIcon() {
    const QImage icon = QImage(":/icons/wavecrest.png")
                            .convertToFormat(QImage::Format_ARGB32_Premultiplied)
                            .convertToFormat(QImage::Format_ARGB32);
    QByteArrayList values{"_NET_WM_ICON = " + QByteArray::number(icon.width()),
                          QByteArray::number(icon.height())};
    for (int y = 0; y < icon.height(); ++y)
        for (int x = 0; x < icon.width(); ++x)
            values << QByteArray::number(icon.pixel(x, y));
    return values.join(", ");
}

} // namespace

void SendNoticeTest::notice_data() {
    QTest::addColumn<QStringList>("songs");
    QTest::addColumn<QString>("server");    // up, slow (1 MB/s), frozen (both cancelled), cut
    QTest::addColumn<QString>("desktop");   // notices, no service
    QTest::addColumn<QStringList>("shown"); // parts of the notice; empty: no notice
    const QString failed = "Sending the songs to the show failed";
    const QString cancelled = "Sending the songs to the show cancelled";
    const QString open = "The transcript window is open";
    // clang-format off
    QTest::newRow("five songs, names escaped and counted past three")
        << QStringList{"a.mp3", "b & b.mp3", "c.mp3", "d.mp3", "e.mp3"} << "up" << "notices"
        << QStringList{"5 songs sent to the show\n\na.mp3, b &amp; b.mp3, c.mp3 and 2 more"};
    QTest::newRow("slow: the title tells how far, Cancel stops it, Close ends")
        << QStringList{"a.mp3", "b.mp3"} << "slow" << "notices"
        << QStringList{cancelled + "\n\nStopped: a.mp3\nNot sent: b.mp3\nNo song arrived.", open};
    QTest::newRow("frozen server: the title says so, Cancel ends it at once")
        << QStringList{"a.mp3", "b.mp3"} << "frozen" << "notices"
        << QStringList{cancelled, "\na.mp3: ", "left on the show's server", "No song arrived."};
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
    FtpServerFixture ftpServer(server == "slow"     ? Peer::Throttle
                               : server == "frozen" ? Peer::Frozen
                                                    : Peer::Rogue,
                               server == "cut" ? "drop" : "");
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkdir("temp"));
    for (const QString& song : songs) {
        QFile file(folder.filePath("temp/" + song));
        // Slow or frozen, the first song is still going when Cancel comes.
        const int size = server == "slow" || server == "frozen" ? 16 << 20 : 300000;
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
    QElapsedTimer sinceCancel;
    if (server == "slow" || server == "frozen") { // the minimized window's taskbar entry tells
        QString window;
        QTRY_VERIFY_WITH_TIMEOUT(
            !(window = ClientWindow(display, client,
                                    server == "slow" ? "^[0-9]+% - sending 1 of 2 - Sending songs"
                                                     : ", waiting for the server - Sending songs"))
                 .isEmpty(),
            30000);
        display.xdotool({"windowfocus", "--sync", window});
        display.xdotool({"key", "space"}); // on Cancel, the window's first control
        sinceCancel.start();
    }
    if (server == "up") { // the window goes as before, with or without a notice
        QVERIFY(ended.wait(30000));
        QCOMPARE(client.exitCode(), 0);
    } else if (server == "frozen") { // told within 2 s whatever the server does
        QTRY_VERIFY_WITH_TIMEOUT(!recorder.notices.isEmpty(), 30000);
        QVERIFY2(sinceCancel.elapsed() < 3000, qPrintable(QString::number(sinceCancel.elapsed())));
        if (client.state() != QProcess::NotRunning) { // the window stays with the outcome
            client.kill();
            QVERIFY(ended.wait(10000));
        }
    } else { // the notice comes while the window stays for the user, with the outcome
        QTRY_VERIFY_WITH_TIMEOUT(!recorder.notices.isEmpty(), 30000);
        QVERIFY(server != "slow" || ftpServer.tree().isEmpty()); // the song cut off is removed
        QCOMPARE(client.state(), QProcess::Running);
        const QString window = ClientWindow(
            display, client,
            QString("^%1 - %2$").arg(server == "slow" ? "Cancelled" : "Failed", kWindowTitle));
        QVERIFY(!window.isEmpty());
        // The window class ties it to the program's desktop entry; the icon is the program's.
        QVERIFY(WindowProperty(window, "WM_CLASS", "8s").contains("\"Wavecrest\""));
        QVERIFY(WindowProperty(window, "_NET_WM_ICON", "32c") == ProgramIcon());
        display.xdotool({"windowfocus", "--sync", window});
        display.xdotool({"key", "space"}); // on Close, where Cancel was
        QVERIFY(ended.wait(10000));
    }
    QCOMPARE(recorder.notices.size(), shown.isEmpty() ? 0 : 1);
    QCOMPARE(recorder.desktopEntry, QString(shown.isEmpty() ? "" : settings::kDesktopId));
    QCOMPARE(recorder.urgency, shown.isEmpty() ? 0 : shown.first().endsWith("failed") ? 2 : 1);
    QCOMPARE(client.readAllStandardOutput() + client.readAllStandardError(),
             QByteArray()); // the window has it all
    for (const QString& part : shown)
        QVERIFY2(recorder.notices.first().contains(part), qPrintable(recorder.notices.first()));
}

// A song's name is shown as it was typed, whatever markup it holds, and no
// name makes the window larger than a screen.
void SendNoticeTest::namesShownAsTyped_data() {
    QTest::addColumn<QString>("song");
    QTest::addColumn<QString>("readAs"); // a part of what a screen reader reads
    const QString image = "<img width=30000 height=30000 src=x>.mp3";
    const QString heading = "<h1>BIG<a href=http:x>link.mp3";
    const QString longName = QString(300, 'n') + ".mp3";
    QTest::newRow("an image of 30000 pixels") << image << image;
    QTest::newRow("a heading and a link") << heading << heading;
    QTest::newRow("300 characters, the middle left out") << longName << "nnnnn\u2026nnnnn";
}

void SendNoticeTest::namesShownAsTyped() {
    QFETCH(QString, song);
    QFETCH(QString, readAs);
    ftp::TranscriptWindow window(kWindowTitle, [] {});
    const auto windowFits = [&window] { // laid out as for showing, not shown
        window.layout()->activate();
        return window.width() < 1000 && window.height() < 800;
    };
    window.ShowProgress({song.toStdString(), 1, 2, 1000, 4000, 1000, 8000, 1e6});
    QVERIFY(windowFits());
    QVERIFY2(ReadAloud(window).contains(readAs), qPrintable(ReadAloud(window)));
    window.Finish(ftp::SendEnd::Cancelled, "Sending the songs to the show cancelled\nStopped: " + song);
    QVERIFY(windowFits());
    QVERIFY2(ReadAloud(window).contains("Stopped: " + song.left(40)), qPrintable(ReadAloud(window)));
    QCOMPARE(window.windowTitle(), "Cancelled - " + QString(kWindowTitle));
}

// Closing the window while it sends asks first: No keeps the send; Yes
// cancels it, and the window goes once the send has ended.
void SendNoticeTest::closingAsksFirst() {
    for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
        int cancelled = 0;
        ftp::TranscriptWindow window(kWindowTitle, [&cancelled] { ++cancelled; });
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
        window.Finish(ftp::SendEnd::Failed);
        QCOMPARE(window.isVisible(), answer == QMessageBox::No);
    }
}

QTEST_MAIN(SendNoticeTest)
#include "tst_sendnotice.moc"
