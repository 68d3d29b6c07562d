// The window rules: one instance per class, load on show, unload discards,
// and the program ends with its last window; and the road through the real
// windows that decides whether staged songs outlive the uploader.
#include "app/Windows.h"
#include "fakes/FakeFileDialog.h"
#include "fakes/FakeMsgBox.h"
#include "fakes/FakeWebBrowser.h"
#include "platform/Services.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/qt/Form.h"
#include "uploader/FileListBox.h"

#include <QLineEdit>
#include <QScopeGuard>
#include <QtTest>

namespace {

int loadsRun = 0;

class SampleWindow : public platform::Form {
public:
    SampleWindow() { field = new QLineEdit(this); }
    void Form_Load() override {
        ++loadsRun;
        field->setText("loaded");
    }
    QLineEdit* field;
};

class FailingLoadWindow : public platform::Form {
public:
    void Form_Load() override {
        steps << "before";
        throw std::runtime_error("disk gone");
        steps << "after";
    }
    QStringList steps;
};

} // namespace

class TestWindows : public QObject {
    Q_OBJECT

    FakeMsgBox messages;
    int endRequests = 0;

private Q_SLOTS:
    void init() {
        messages = FakeMsgBox();
        platform::install({.messageBox = &messages});
        endRequests = 0;
        loadsRun = 0;
        platform::LoadedWindows::setEndProgram([this] { ++endRequests; });
    }

    // Showing a loaded window again brings the same one with what the user
    // changed; after Unload or the close box the next show loads it afresh.
    void showAgain_data() {
        QTest::addColumn<QString>("closing");
        QTest::newRow("still loaded") << "";
        QTest::newRow("Unload") << "Unload";
        QTest::newRow("close box") << "close box";
    }

    void showAgain() {
        QFETCH(QString, closing);
        platform::FormSlot<SampleWindow> slot;
        SampleWindow& window = slot.Show();
        QCOMPARE(window.field->text(), QString("loaded")); // load ran inside the request
        window.field->setText("edited");
        if (closing == "Unload")
            window.Unload();
        else if (closing == "close box")
            window.close();
        QCOMPARE(slot.isLoaded(), closing.isEmpty());
        QCOMPARE(endRequests, closing.isEmpty() ? 0 : 1); // it was the last window
        SampleWindow& again = slot.Show();
        QCOMPARE(slot.loads(), closing.isEmpty() ? 1 : 2); // a fresh window each load
        QCOMPARE(again.field->text(), QString(closing.isEmpty() ? "edited" : "loaded"));
        QVERIFY(again.isVisible());
        again.Unload();
    }

    // A failing load is reported and its window still opens; the program
    // ends only with the last window.
    void failingLoadAndTheLastWindow() {
        platform::FormSlot<SampleWindow> one;
        platform::FormSlot<FailingLoadWindow> other;
        one.Show();
        FailingLoadWindow& failing = other.Show();
        QCOMPARE(failing.steps, QStringList{"before"});
        QVERIFY(failing.isVisible());
        QCOMPARE(messages.shown.size(), size_t(1));
        QCOMPARE(QString::fromStdString(messages.shown[0].title), QString("Wavecrest"));
        QVERIFY(QString::fromStdString(messages.shown[0].text).contains("disk gone"));
        one.window()->Unload();
        QCOMPARE(endRequests, 0);
        failing.Unload();
        QCOMPARE(endRequests, 1);
    }

    // From the main window's menu the user opens the uploader and stages a
    // song, then leaves it. Only Finish! deletes the song; after the close
    // box the next load lists it again, and Exit ends the program at once.
    void stagedSongOnLeaving_data() {
        QTest::addColumn<QString>("leaving");
        QTest::addColumn<bool>("kept");
        QTest::newRow("Exit with the uploader open") << "Exit" << true;
        QTest::newRow("uploader's close box") << "close box" << true;
        QTest::newRow("Finish!") << "Finish" << false;
    }

    void stagedSongOnLeaving() {
        QFETCH(QString, leaving);
        QFETCH(bool, kept);
        QTemporaryDir app, music;
        QFile song(music.filePath("Song.mp3"));
        QVERIFY(song.open(QIODevice::WriteOnly) && song.write("x") == 1);
        song.close();
        platform::PosixFileSystem files(app.path().toStdString());
        FakeFileDialog dialog;
        FakeWebBrowserFactory browsers;
        platform::install({.fileDialog = &dialog, .fileSystem = &files, .messageBox = &messages,
                           .browsers = &browsers});
        const auto unloadAll = qScopeGuard([] {
            for (platform::Form* window : {(platform::Form*)windows().uploader.window(),
                                           (platform::Form*)windows().main.window()})
                if (window)
                    window->Unload();
        });
        ShowWindows().ShowMain();
        FrmMain& main = *windows().main.window();
        main.request->trigger();
        dialog.chooseNext(song.fileName().toStdString());
        windows().uploader.window()->Browse->click();
        const QString staged = app.filePath("temp/Song.mp3");
        QVERIFY(QFile::exists(staged));
        if (leaving == "Exit")
            main.Exit->trigger();
        else if (leaving == "close box")
            windows().uploader.window()->close();
        else
            windows().uploader.window()->Finish->click();
        QCOMPARE(endRequests, leaving == "Exit" ? 1 : 0);
        QCOMPARE(QFile::exists(staged), kept);
        QVERIFY(windows().main.isLoaded());
        if (leaving != "Exit") {
            QVERIFY(!windows().uploader.isLoaded());
            main.request->trigger();
            FileListBox* list = windows().uploader.window()->File1;
            QCOMPARE(list->ListCount(), kept ? 1 : 0);
            QCOMPARE(list->List(0), std::string(kept ? "Song.mp3" : ""));
        }
        QVERIFY(messages.shown.empty());
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
