// The real program, started as a user starts it: texts that match no switch
// end it at once; each window it opens ends the program cleanly when answered,
// closed, left by Exit (the uploader open) or when the system asks it to end,
// staged files kept, nothing printed; the help window is its only window and
// carries the application icon; from the keyboard alone, Menu > About and
// Alt+S start the system information tool the registry names.
#include "support/XvfbDisplay.h"

#include <QtTest>
#include <csignal>
#include <xcb/xcb.h>

namespace {
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

// A registry file naming (unquoted, blanks and all) a tool that notes its start.
QString WriteRegistryWithTool(const QString& folder) {
    QFile tool(folder + "/system info tool");
    tool.open(QIODevice::WriteOnly);
    tool.write("#!/bin/sh\necho \"started $WAVECREST_SHOW_WINDOW\" > \"$(dirname \"$0\")/note\"\n");
    tool.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile file(folder + "/test.reg");
    file.open(QIODevice::WriteOnly);
    file.write("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\r\n"
               "\"PATH\"=\"" +
               tool.fileName().toUtf8() + "\"\r\n");
    return file.fileName();
}

// Menu > About, then Alt+S on "&System Info...": keys alone, no mouse.
void StartSystemInfo(const XvfbDisplay& display, const QString& window, const QString& folder) {
    display.xdotool({"windowfocus", "--sync", window});
    display.xdotool({"key", "F10", "Down", "Down", "Return"});
    const QString about = display.waitForWindow("^About Wavecrest$");
    QVERIFY(!about.isEmpty());
    display.xdotool({"windowfocus", "--sync", about});
    display.xdotool({"key", "alt+s"});
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(folder + "/note"), 20000);
    QFile note(folder + "/note");
    QVERIFY(note.open(QIODevice::ReadOnly));
    QCOMPARE(note.readAll().trimmed(), QByteArray("started 1"));  // shown normally
    QVERIFY(display.waitForWindow("^Wavecrest$", 500).isEmpty()); // no failure message
}

// Ends the program through `window` as `ending` says: a key, a click on the
// help window's OK, the close box, Exit from the keyboard, or a signal as a
// logout or Ctrl+C sends it.
void End(const XvfbDisplay& display, const QString& window, const QString& ending, qint64 pid) {
    if (ending == "close") {
        PressCloseBox(window);
    } else if (ending == "Return") {
        // A real key press on the focused window: a synthetic one sent to the
        // window (--window) made the next program's box on this server close.
        display.xdotool({"windowfocus", "--sync", window});
        display.xdotool({"key", "Return"});
    } else if (ending == "Exit by keys") { // Request a song!, then Menu > Exit
        display.xdotool({"windowfocus", "--sync", window});
        display.xdotool({"key", "F10", "Right", "Return"});
        QVERIFY(!display.waitForWindow("^Music Uploader$").isEmpty());
        display.xdotool({"windowfocus", "--sync", window});
        display.xdotool({"key", "F10", "Down", "Down", "Down", "Down", "Return"});
    } else if (ending == "click OK") { // at 240, 120 twips, 1215 x 375: its middle
        display.xdotool({"mousemove", "--window", window, "56", "20", "click", "1"});
    } else {
        const QMap<QString, int> signal{
            {"SIGTERM", SIGTERM}, {"SIGINT", SIGINT}, {"SIGHUP", SIGHUP}};
        kill(pid_t(pid), signal[ending]);
    }
}
// The help window, its only one, carries the application icon.
void AssertOnlyWindowWithIcon(const XvfbDisplay& display, const QString& window, qint64 pid) {
    QCOMPARE(display.xdotool({"search", "--onlyvisible", "--pid", QString::number(pid)}), window);
    QProcess xprop;
    xprop.setProcessEnvironment(display.environment());
    xprop.start("xprop", {"-id", window, "-len", "8", "_NET_WM_ICON"});
    QVERIFY(xprop.waitForFinished(5000));
    QVERIFY2(xprop.readAllStandardOutput().contains("Icon (256 x 256)"),
             "the window carries no application icon");
}
} // namespace

class TestProgram : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void endsAsTheUserExpects_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("title"); // "" when no window may appear
        QTest::addColumn<QString>("ending");
        const QString joke = "^Wavecrest$", usage = "^Command Line Arguments$";
        QTest::newRow("help in other capitals") << QStringList{"-HELP"} << ""
                                                << "";
        QTest::newRow("switch and a second argument") << QStringList{"-poop", "x"} << ""
                                                      << "";
        QTest::newRow("Qt style option") << QStringList{"-style", "fusion"} << ""
                                         << "";
        QTest::newRow("a bare word") << QStringList{"hello"} << ""
                                     << "";
        QTest::newRow("joke box, OK") << QStringList{"-poop"} << joke << "Return";
        QTest::newRow("joke box, SIGHUP") << QStringList{"-poop"} << joke << "SIGHUP";
        QTest::newRow("usage box, OK") << QStringList{"/?"} << usage << "Return";
        QTest::newRow("usage box, SIGINT") << QStringList{"/?"} << usage << "SIGINT";
        QTest::newRow("main window, SIGTERM") << QStringList{} << "."
                                              << "SIGTERM";
        QTest::newRow("main window, keys to System Info, SIGTERM") << QStringList{} << "."
                                                                   << "SIGTERM";
        QTest::newRow("main window, uploader open, Exit by keys") << QStringList{} << "."
                                                                  << "Exit by keys";
        QTest::newRow("uploader, close box") << QStringList{"-MusicUploader"} << "^Music Uploader$"
                                             << "close";
        QTest::newRow("-help, click on OK") << QStringList{"-help"} << "^Help$"
                                            << "click OK";
        QTest::newRow("/help, Enter on OK") << QStringList{"/help"} << "^Help$"
                                            << "Return";
        QTest::newRow("help as the usage text writes it, OK") << QStringList{"-Help"} << "^Help$"
                                                              << "click OK";
    }

    void endsAsTheUserExpects() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, title);
        QFETCH(QString, ending);
        XvfbDisplay display;
        if (!title.isEmpty())
            REQUIRE_XVFB(display);
        const QString staged = qEnvironmentVariable("WAVECREST_BIN") + "/temp/staged " +
                               QString::number(QCoreApplication::applicationPid()) + ".mp3";
        QDir().mkpath(QFileInfo(staged).path());
        QFile(staged).open(QIODevice::WriteOnly);
        const bool systemInfo = QByteArray(QTest::currentDataTag()).contains("System Info");
        QTemporaryDir tools;
        QProcessEnvironment env = display.environment();
        if (systemInfo)
            env.insert("WAVECREST_REGISTRY_FILE", WriteRegistryWithTool(tools.path()));
        QProcess wavecrest;
        wavecrest.setProcessEnvironment(env);
        QTemporaryFile output; // not a pipe: one nobody reads could fill and hold it
        QVERIFY(output.open());
        wavecrest.setProcessChannelMode(QProcess::MergedChannels);
        wavecrest.setStandardOutputFile(output.fileName());
        wavecrest.start(qEnvironmentVariable("WAVECREST_BIN") + "/Wavecrest", arguments);
        if (!title.isEmpty()) {
            // A generous bound: the machine may be busy with other work.
            const QString window = display.waitForWindow(title, 90000);
            QVERIFY2(!window.isEmpty(), "no window appeared");
            QVERIFY2(!wavecrest.waitForFinished(300), "ended before the window was answered");
            if (title == "^Help$") // its only window, with no task bar button
                AssertOnlyWindowWithIcon(display, window, wavecrest.processId());
            if (systemInfo)
                StartSystemInfo(display, window, tools.path());
            End(display, window, ending, wavecrest.processId());
            // A press lost while a busy machine still sets the window up: press again.
            for (int again = 0; ending == "close" && again < 5 && !wavecrest.waitForFinished(5000);
                 ++again)
                End(display, display.waitForWindow(title, 2000), ending, wavecrest.processId());
        }
        QVERIFY2(wavecrest.state() == QProcess::NotRunning || wavecrest.waitForFinished(90000),
                 qPrintable("the program did not end: " + output.readAll()));
        QCOMPARE(wavecrest.exitStatus(), QProcess::NormalExit);
        QCOMPARE(wavecrest.exitCode(), 0);
        QVERIFY2(QFile::remove(staged), "the staged file is gone");
        output.seek(0); // the message above read it already
        const QByteArray printed = output.readAll();
        QVERIFY2(printed.isEmpty(), "a normal run printed: " + printed);
    }

    void withoutDesktopSaysSoInOneLine() {
        QProcess wavecrest;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(variable);
        wavecrest.setProcessEnvironment(env);
        wavecrest.setProcessChannelMode(QProcess::MergedChannels);
        wavecrest.start(qEnvironmentVariable("WAVECREST_BIN") + "/Wavecrest");
        QVERIFY(wavecrest.waitForFinished(60000));
        QCOMPARE(wavecrest.exitStatus(), QProcess::NormalExit);
        QCOMPARE(wavecrest.exitCode(), 1);
        QCOMPARE(wavecrest.readAll(), "Wavecrest needs a desktop session: neither DISPLAY nor "
                                      "WAYLAND_DISPLAY is set.\n");
    }
};

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_program.moc"
