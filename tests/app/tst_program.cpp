// The real program, started as a user starts it: texts that match no switch
// end it at once; a message box ends it once answered; the system's request
// to end closes it cleanly.
#include "support/XvfbDisplay.h"

#include <QtTest>
#include <csignal>

namespace {
QString program() { return qEnvironmentVariable("WAVECREST_BIN") + "/Wavecrest"; }
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
        QVERIFY(wavecrest.waitForStarted());
        QVERIFY2(wavecrest.waitForFinished(30000), "the program did not end by itself");
        QCOMPARE(wavecrest.exitStatus(), QProcess::NormalExit);
        QCOMPARE(wavecrest.exitCode(), 0);
    }

    void messageBoxEndsTheProgramOnceAnswered_data() {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("title");
        QTest::newRow("-poop") << "-poop" << "^Wavecrest$";
        QTest::newRow("/?") << "/?" << "^Command Line Arguments$";
    }

    void messageBoxEndsTheProgramOnceAnswered() {
        QFETCH(QString, argument);
        QFETCH(QString, title);
        XvfbDisplay display;
        if (!display.isRunning())
            QSKIP("needs Xvfb and xdotool");
        QProcess wavecrest;
        wavecrest.setProcessEnvironment(display.environment());
        wavecrest.start(program(), {argument});
        const QString box = display.waitForWindow(title);
        QVERIFY2(!box.isEmpty(), "no message box appeared");
        QVERIFY2(!wavecrest.waitForFinished(500), "ended before the box was answered");
        display.xdotool({"windowfocus", "--sync", box});
        // A real key press on the focused box: a synthetic one sent to the
        // window (--window) made the next program's box on this server close.
        display.xdotool({"key", "Return"});
        QVERIFY2(wavecrest.waitForFinished(15000), "the program did not end after OK");
        QCOMPARE(wavecrest.exitCode(), 0);
    }

    void terminationRequestEndsTheProgramCleanly_data() {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("signal");
        QTest::newRow("main window, SIGTERM") << "" << "." << SIGTERM;
        QTest::newRow("usage box, SIGINT") << "/?" << "^Command Line Arguments$" << SIGINT;
        QTest::newRow("joke box, SIGHUP") << "-poop" << "^Wavecrest$" << SIGHUP;
    }

    void terminationRequestEndsTheProgramCleanly() {
        QFETCH(QString, argument);
        QFETCH(QString, title);
        QFETCH(int, signal);
        XvfbDisplay display;
        if (!display.isRunning())
            QSKIP("needs Xvfb and xdotool");
        QProcess wavecrest;
        wavecrest.setProcessEnvironment(display.environment());
        wavecrest.start(program(), argument.isEmpty() ? QStringList() : QStringList{argument});
        QVERIFY2(!display.waitForWindow(title, 90000).isEmpty(), "no window appeared");
        kill(pid_t(wavecrest.processId()), signal); // as a logout or Ctrl+C sends it
        QVERIFY2(wavecrest.waitForFinished(15000), "the program did not end");
        QCOMPARE(wavecrest.exitStatus(), QProcess::NormalExit);
        QCOMPARE(wavecrest.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_program.moc"
