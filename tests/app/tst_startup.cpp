// The start-up dispatch: which text opens what, and what matches nothing.
#include "app/frmStart.h"
#include "core/Services.h"
#include "fakes/FakeCommandLine.h"
#include "fakes/FakeMsgBox.h"

#include <QtTest>

namespace {

class RecordingActions : public StartActions {
public:
    void ShowMusicUploader() override { shown << "MusicUploader"; }
    void ShowHelp() override { shown << "FrmHelp"; }
    void ShowMain() override { shown << "FrmMain"; }
    QStringList shown;
};

class FailingActions : public RecordingActions {
public:
    void ShowMain() override { throw std::runtime_error("no screen"); }
};

const char* const kUsage = "Command Line arguments are:\r\n"
                           "''-MusicUploader'' for just the music uploader\r\n"
                           "''-?'' for this\r\n"
                           "''-Help'' for the full help\r\n"
                           "\r\n"
                           "You can use ''/'' and ''-'' interchangeably.";

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

    FakeCommandLine commandLine;
    FakeMsgBox messages;

private Q_SLOTS:
    void init() {
        commandLine = FakeCommandLine();
        messages = FakeMsgBox();
        platform::Services fakes;
        fakes.commandLine = &commandLine;
        fakes.messageBox = &messages;
        platform::install(fakes);
    }

    // Each entry is tried with both prefixes; near misses show nothing.
    void dispatch_data() {
        QTest::addColumn<QString>("text"); // a leading '-' also tried as '/'
        QTest::addColumn<QStringList>("windows");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("title");
        const QStringList none;
        QTest::newRow("empty") << "" << QStringList{"FrmMain"} << ""
                               << "";
        QTest::newRow("MusicUploader") << "-MusicUploader" << QStringList{"MusicUploader"} << ""
                                       << "";
        QTest::newRow("help") << "-help" << QStringList{"FrmHelp"} << ""
                              << "";
        QTest::newRow("Help, as the usage writes it") << "-Help" << QStringList{"FrmHelp"} << ""
                                                      << "";
        QTest::newRow("?") << "-?" << none << kUsage << "Command Line Arguments";
        QTest::newRow("poop") << "-poop" << none << "HA HA YOU SAID POOP!"
                              << "Wavecrest";
        for (const char* miss : {"-HElp", "-musicuploader", "-HELP", "-help ", " -help",
                                 "-MusicUploader song.mp3", "-"})
            QTest::newRow(miss) << miss << none << ""
                                << "";
    }

    void dispatch() {
        QFETCH(QString, text);
        QFETCH(QStringList, windows);
        QFETCH(QString, message);
        QFETCH(QString, title);
        for (const char* prefix : {"-", "/"}) {
            messages.shown.clear();
            commandLine.text = (text.startsWith('-') ? prefix + text.mid(1) : text).toStdString();
            RecordingActions actions;
            frmStart(actions).Form_Load();
            QCOMPARE(actions.shown, windows);
            QCOMPARE(messages.shown.size(), size_t(!message.isEmpty()));
            if (!message.isEmpty()) {
                QCOMPARE(QString::fromStdString(messages.shown[0].text), message);
                QCOMPARE(QString::fromStdString(messages.shown[0].title), title);
                QCOMPARE(messages.shown[0].style, 0);
            }
        }
    }

    void failingShowIsReportedOnce() {
        FailingActions actions;
        frmStart(actions).Form_Load();
        QCOMPARE(messages.shown.size(), size_t(1));
        QCOMPARE(QString::fromStdString(messages.shown[0].title), QString("Wavecrest"));
        QVERIFY(QString::fromStdString(messages.shown[0].text).contains("no screen"));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
