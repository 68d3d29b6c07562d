// Long copies into the staging folder: dropped files, the progress box, and
// a copy stopped by Cancel or by the program's end leaving nothing behind.
#include "Staging.h"

#include <QProgressDialog>
#include <QTimer>
#include <QtTest>

class TestStagingCopy : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        // Closing the last window must not end the test, nor stop a later copy.
        platform::LoadedWindows::setEndProgram([] {});
    }

    void dropStagesFilesAndNamesWhatItRefuses() {
        Staging staging;
        TempFolder music;
        const std::string big(40 << 20, '\x5a'); // several chunks of the copy
        WriteFile(music / "big.mp3", big);
        std::filesystem::create_directory(music / "album");
        MusicUploader& window = staging.show();
        QVERIFY(Drop(&window, {music / "album", music / "big.mp3", music / "gone.mp3",
                               "http://127.0.0.1/x.mp3"}));
        QCOMPARE(staging.listed(), QStringList{"big.mp3"});
        QVERIFY(ReadFile(staging.temp("big.mp3")) == big);
        const QString text = staging.onlyMessage();
        for (const char* refused : {"album\" is not", "gone.mp3", "http://127.0.0.1/x.mp3"})
            QVERIFY2(text.contains(refused), qPrintable(text));
    }

    void longCopyStaysResponsiveAndStopsClean_data() {
        QTest::addColumn<QString>("how"); // how the copy starts
        QTest::addColumn<bool>("ending"); // the program is asked to end, else Cancel
        QTest::addColumn<int>("at");      // once the box shows this much of 1000
        QTest::newRow("Browse, Cancel") << "browse" << false << 1;
        QTest::newRow("Browse, Cancel at half way") << "browse" << false << 500;
        QTest::newRow("Browse, program ends") << "browse" << true << 1;
        QTest::newRow("drop of two, Cancel on the first") << "drop" << false << 1;
    }

    void longCopyStaysResponsiveAndStopsClean() {
        QFETCH(QString, how);
        QFETCH(bool, ending);
        QFETCH(int, at);
        Staging staging;
        TempFolder music;
        const std::string big(40 << 20, '\x5a'); // several chunks of the copy
        WriteFile(music / "song.mp3", big);
        WriteFile(music / "next.mp3", "x");
        staging.put({});
        WriteFile(staging.temp("song.mp3"), "earlier copy");
        MusicUploader& window = staging.show();
        // Runs between the copy's chunks: the window handles events, and the
        // box shows the copy going forward (one stuck at 0 runs to its end).
        int shown = -1; // how far the box said the copy was when it was stopped
        QTimer watch;
        watch.callOnTimeout(&window, [&] {
            auto* box = window.findChild<QProgressDialog*>();
            if (shown >= 0 || !box || box->value() < at || box->windowModality() != Qt::WindowModal)
                return;
            shown = box->value();
            if (ending)
                platform::LoadedWindows::EndProgram();
            else
                box->cancel();
        });
        watch.start(0);
        if (how == "drop") {
            QVERIFY(Drop(&window, {music / "song.mp3", music / "next.mp3"}));
        } else {
            staging.dialog.chooseNext(music / "song.mp3");
            window.Browse->click();
        }
        QVERIFY2(shown >= at && shown < 1000, "the box showed no copy under way");
        QCOMPARE(AllNames(staging.temp()), QStringList{"song.mp3"});
        QCOMPARE(ReadFile(staging.temp("song.mp3")), std::string("earlier copy"));
        QCOMPARE(staging.listed(), QStringList{"song.mp3"});
        QVERIFY(staging.messages.shown.empty());
    }
};

QTEST_MAIN(TestStagingCopy)
#include "tst_staging_copy.moc"
