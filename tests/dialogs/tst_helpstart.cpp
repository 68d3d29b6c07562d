// "-help" and "/help": the help window is the program's only window, and
// closing it ends the program although it has no task bar button.
#include "app/Windows.h"
#include "fakes/FakeCommandLine.h"
#include "fakes/FakeMsgBox.h"
#include "platform/Services.h"
#include "support/XvfbDisplay.h"

#include <QPushButton>
#include <QtTest>

namespace {

QString program() {
    return qEnvironmentVariable("WAVECREST_BIN") + "/Wavecrest";
}

} // namespace

class TestHelpStart : public QObject {
    Q_OBJECT

    FakeCommandLine commandLine;
    FakeMsgBox messages;
    int endRequests = 0;

private Q_SLOTS:
    void init() {
        messages = FakeMsgBox();
        platform::Services fakes;
        fakes.commandLine = &commandLine;
        fakes.messageBox = &messages;
        platform::install(fakes);
        endRequests = 0;
        platform::LoadedWindows::setEndProgram([this] { ++endRequests; });
    }

    void helpSwitchOpensOnlyTheHelpWindow_data() {
        QTest::addColumn<QString>("argumentText");
        QTest::addColumn<bool>("byOkButton");
        QTest::newRow("-help, OK") << "-help" << true;
        QTest::newRow("-help, close box") << "-help" << false;
        QTest::newRow("/help, OK") << "/help" << true;
        QTest::newRow("/help, close box") << "/help" << false;
    }

    void helpSwitchOpensOnlyTheHelpWindow() {
        QFETCH(QString, argumentText);
        QFETCH(bool, byOkButton);
        commandLine.text = argumentText.toStdString();
        ShowWindows actions;
        frmStart(actions).Form_Load();

        QCOMPARE(platform::LoadedWindows::count(), 1);
        FrmHelp* help = windows().help.window();
        QVERIFY(help && help->isVisible());
        QVERIFY(!windows().main.isLoaded() && !windows().uploader.isLoaded());
        QCOMPARE(help->windowType(), Qt::Tool); // no task bar button
        QVERIFY(messages.shown.empty());

        if (byOkButton)
            QTest::mouseClick(help->OKButton, Qt::LeftButton);
        else
            help->close();
        QCOMPARE(platform::LoadedWindows::count(), 0);
        QCOMPARE(endRequests, 1);
    }

    void realProgramEndsWhenHelpCloses_data() {
        QTest::addColumn<bool>("byKeyboard");
        QTest::newRow("click on OK") << false;
        QTest::newRow("Enter on the focused OK") << true;
    }

    void realProgramEndsWhenHelpCloses() {
        QFETCH(bool, byKeyboard);
        XvfbDisplay display;
        if (!display.isRunning())
            QSKIP("needs Xvfb and xdotool");
        QProcess wavecrest;
        wavecrest.setProcessEnvironment(display.environment());
        wavecrest.start(program(), {"-help"});
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
