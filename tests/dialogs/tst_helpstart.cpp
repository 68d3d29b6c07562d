// "-help" and "/help" in the real program: the help window is its only
// window, and closing it ends the program although it has no task bar button.
#include "support/XvfbDisplay.h"

#include <QtTest>

namespace {

QString program() {
    return qEnvironmentVariable("WAVECREST_BIN") + "/Wavecrest";
}

} // namespace

class TestHelpStart : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void realProgramEndsWhenHelpCloses_data() {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<bool>("byKeyboard");
        QTest::newRow("-help, click on OK") << "-help" << false;
        QTest::newRow("/help, Enter on the focused OK") << "/help" << true;
    }

    void realProgramEndsWhenHelpCloses() {
        QFETCH(QString, argument);
        QFETCH(bool, byKeyboard);
        XvfbDisplay display;
        if (!display.isRunning())
            QSKIP("needs Xvfb and xdotool");
        QProcess wavecrest;
        wavecrest.setProcessEnvironment(display.environment());
        wavecrest.start(program(), {argument});
        // A generous bound: the machine may be busy with other work.
        const QString help = display.waitForWindow("^Help$", 90000);
        QVERIFY2(!help.isEmpty(), "no help window appeared");
        const QString pid = QString::number(wavecrest.processId());
        QCOMPARE(display.xdotool({"search", "--onlyvisible", "--pid", pid}), help);
        if (!QStandardPaths::findExecutable("xprop").isEmpty()) {
            QProcess xprop;
            QProcessEnvironment env = display.environment();
            xprop.setProcessEnvironment(env);
            xprop.start("xprop", {"-id", help, "-len", "8", "_NET_WM_ICON"});
            QVERIFY(xprop.waitForFinished(5000));
            QVERIFY2(xprop.readAllStandardOutput().contains("Icon (256 x 256)"),
                     "the window carries no application icon");
        }
        QVERIFY2(!wavecrest.waitForFinished(300), "ended while the help window was open");

        if (byKeyboard) {
            display.xdotool({"windowfocus", "--sync", help});
            display.xdotool({"key", "Return"});
        } else {
            // OK lies at 240, 120 twips, 1215 x 375: its middle is 56, 20 pixels in.
            display.xdotool({"mousemove", "--window", help, "56", "20", "click", "1"});
        }
        QVERIFY2(wavecrest.waitForFinished(15000), "the program did not end with its help window");
        QCOMPARE(wavecrest.exitStatus(), QProcess::NormalExit);
        QCOMPARE(wavecrest.exitCode(), 0);
    }
};

QTEST_MAIN(TestHelpStart)
#include "tst_helpstart.moc"
