// The real program, started as a user starts it: texts that match no switch
// end it at once; a message box ends it once answered; the system's request
// to end and the uploader's close box close it cleanly, staged files kept.
#include "support/XvfbDisplay.h"

#include <QtTest>
#include <csignal>
#include <xcb/xcb.h>

namespace {
QString program() { return qEnvironmentVariable("WAVECREST_BIN") + "/Wavecrest"; }

// Presses the close box of `window` as a window manager reports it, with
// the WM_DELETE_WINDOW message.
void PressCloseBox(const QString& window) {
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    auto atom = [x](const char* name) {
        auto* reply = xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, strlen(name), name), nullptr);
        const xcb_atom_t found = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(reply);
        return found;
    };
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window.toUInt();
    event.type = atom("WM_PROTOCOLS");
    event.data.data32[0] = atom("WM_DELETE_WINDOW");
    xcb_send_event(x, 0, event.window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<char*>(&event));
    xcb_flush(x);
    xcb_disconnect(x);
}
} // namespace

class TestProgram : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void nonMatchingTextEndsByItself_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("help as the usage text writes it") << QStringList{"-Help"};
        QTest::newRow("switch and a second argument") << QStringList{"-poop", "extra"};
        QTest::newRow("Qt style option") << QStringList{"-style", "fusion"};
        QTest::newRow("a bare word") << QStringList{"hello"};
    }

    void nonMatchingTextEndsByItself() {
        QFETCH(QStringList, arguments);
        QProcess wavecrest;
        wavecrest.start(program(), arguments);
        QVERIFY2(wavecrest.waitForFinished(30000), "the program did not end by itself");
        QCOMPARE(wavecrest.exitStatus(), QProcess::NormalExit);
        QCOMPARE(wavecrest.exitCode(), 0);
    }

    void windowsEndTheProgramCleanly_data() {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("ending"); // a key, a signal or the close box
        QTest::newRow("joke box, OK") << "-poop" << "^Wavecrest$" << "Return";
        QTest::newRow("usage box, OK") << "/?" << "^Command Line Arguments$" << "Return";
        QTest::newRow("main window, SIGTERM") << "" << "." << "SIGTERM";
        QTest::newRow("usage box, SIGINT") << "/?" << "^Command Line Arguments$" << "SIGINT";
        QTest::newRow("joke box, SIGHUP") << "-poop" << "^Wavecrest$" << "SIGHUP";
        QTest::newRow("uploader, close box") << "-MusicUploader" << "^Music Uploader$" << "close";
    }

    void windowsEndTheProgramCleanly() {
        QFETCH(QString, argument);
        QFETCH(QString, title);
        QFETCH(QString, ending);
        XvfbDisplay display;
        if (!display.isRunning())
            QSKIP("needs Xvfb and xdotool");
        const QString staged = qEnvironmentVariable("WAVECREST_BIN") + "/temp/staged " +
                               QString::number(QCoreApplication::applicationPid()) + ".mp3";
        QDir().mkpath(QFileInfo(staged).path());
        QFile(staged).open(QIODevice::WriteOnly);
        QProcess wavecrest;
        wavecrest.setProcessEnvironment(display.environment());
        wavecrest.start(program(), argument.isEmpty() ? QStringList() : QStringList{argument});
        const QString window = display.waitForWindow(title, 90000);
        QVERIFY2(!window.isEmpty(), "no window appeared");
        QVERIFY2(!wavecrest.waitForFinished(500), "ended before the window was answered");
        if (ending == "close") {
            PressCloseBox(window);
        } else if (ending == "Return") {
            // A real key press on the focused box: a synthetic one sent to the
            // window (--window) made the next program's box on this server close.
            display.xdotool({"windowfocus", "--sync", window});
            display.xdotool({"key", "Return"});
        } else { // as a logout or Ctrl+C sends it
            const QMap<QString, int> signal{{"SIGTERM", SIGTERM}, {"SIGINT", SIGINT}, {"SIGHUP", SIGHUP}};
            kill(pid_t(wavecrest.processId()), signal[ending]);
        }
        QVERIFY2(wavecrest.waitForFinished(15000), "the program did not end");
        QCOMPARE(wavecrest.exitStatus(), QProcess::NormalExit);
        QCOMPARE(wavecrest.exitCode(), 0);
        QVERIFY2(QFile::remove(staged), "the staged file is gone");
    }
};

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_program.moc"
