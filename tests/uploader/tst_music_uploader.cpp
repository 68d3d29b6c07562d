// The uploader window against real temporary folders, with the dialog, the
// message boxes and the process start faked.
#include "TempFolder.h"
#include "fakes/FakeFileDialog.h"
#include "fakes/FakeMsgBox.h"
#include "fakes/FakeProcessStarter.h"
#include "platform/Services.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixProcessStarter.h"
#include "uploader/FileListBox.h"
#include "uploader/MusicUploader.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <filesystem>

namespace {

// Also records the current folder each start sees.
class FolderRecordingStarter : public FakeProcessStarter {
public:
    void Start(const std::string& commandLine, int windowState) override {
        folders.push_back(std::filesystem::current_path().string());
        FakeProcessStarter::Start(commandLine, windowState);
    }
    std::vector<std::string> folders;
};

// An application folder of its own and the fakes, installed for one test.
struct Staging {
    TempFolder app;
    platform::PosixFileSystem files{app.path()};
    FakeFileDialog dialog;
    FakeMsgBox messages;
    FolderRecordingStarter starter;
    platform::FormSlot<MusicUploader> uploader;

    Staging() {
        platform::Services chosen;
        chosen.fileSystem = &files;
        chosen.fileDialog = &dialog;
        chosen.messageBox = &messages;
        chosen.processes = &starter;
        platform::install(chosen);
    }
    ~Staging() {
        delete uploader.window();
        platform::install({});
    }
    std::string temp(const std::string& name = {}) const {
        return app.path() + "/temp" + (name.empty() ? "" : "/" + name);
    }
    MusicUploader& show() { return uploader.Show(); }
    QStringList listed() {
        QStringList names;
        FileListBox* list = uploader.window()->File1;
        for (int i = 0; i < list->ListCount(); ++i)
            names << QString::fromStdString(list->List(i));
        return names;
    }
};

} // namespace

class TestMusicUploader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void loadPreparesFolderListAndDialog();
    void loadListsEarlierFiles();
    void loadReportsStagingFolderThatCannotBeMade();
    void browseStagesAndReplaces_data();
    void browseStagesAndReplaces();
    void browseCancelAndDialogFailure_data();
    void browseCancelAndDialogFailure();
    void failingCopyKeepsOldCopy();
    void deleteSelected_data();
    void deleteSelected();
    void deleteAllIsQuietEvenWhenEmpty();
    void finishKeepsOtherFilesAndClosesWithoutMp3();
    void sendStartsClientMinimizedInApplicationFolder();
    void sendThatCannotStartIsReported();
    void sendStartsRealProgram();
    void windowLayout();
};

void TestMusicUploader::initTestCase() {
    // Closing the last window must not end the test.
    platform::LoadedWindows::setEndProgram([] {});
}

void TestMusicUploader::loadPreparesFolderListAndDialog() {
    Staging staging;
    std::filesystem::current_path("/");
    MusicUploader& window = staging.show();
    QVERIFY(std::filesystem::is_directory(staging.temp()));
    QCOMPARE(std::filesystem::current_path(), std::filesystem::canonical(staging.app.path()));
    QCOMPARE(window.Label4->text().toStdString(),
             std::filesystem::canonical(staging.app.path()).string());
    QCOMPARE(window.File1->Path(), staging.temp());
    QCOMPARE(window.File1->ListCount(), 0);
    QCOMPARE(window.DlgOpenFile.initialFolder, staging.app.path());
    QCOMPARE(window.DlgOpenFile.filter, std::string("MP3 Files (*.MP3)|*.mp3|All Files (*.*)|*.*"));
    QCOMPARE(window.DlgOpenFile.filterIndex, 1);
    QCOMPARE(window.DlgOpenFile.title, std::string("Open File"));
    QCOMPARE(window.DlgOpenFile.flags, 0x281004u);
    QVERIFY(window.DlgOpenFile.cancelError);
    QVERIFY(staging.messages.shown.empty());
}

void TestMusicUploader::loadListsEarlierFiles() {
    Staging staging;
    std::filesystem::create_directory(staging.temp());
    for (const char* name : {"b.mp3", "A.MP3", "notes.txt", ".part"})
        WriteFile(staging.temp(name), "earlier run");
    staging.show();
    QCOMPARE(staging.listed(), (QStringList{"A.MP3", "b.mp3", "notes.txt"}));
    QCOMPARE(AllNames(staging.temp()), (QStringList{".part", "A.MP3", "b.mp3", "notes.txt"}));
}

void TestMusicUploader::loadReportsStagingFolderThatCannotBeMade() {
    Staging staging;
    WriteFile(staging.temp(), "a file where the folder should be");
    MusicUploader& window = staging.show();
    QVERIFY(staging.uploader.isLoaded());
    QCOMPARE(staging.messages.shown.size(), size_t(1));
    const QString text = QString::fromStdString(staging.messages.shown[0].text);
    QVERIFY2(text.startsWith(
                 QString::fromStdString("Creating the folder \"" + staging.temp() + "\" failed.")),
             qPrintable(text));
    QVERIFY2(text.contains("File exists"), qPrintable(text));
    QCOMPARE(window.File1->ListCount(), 0);
    QCOMPARE(window.DlgOpenFile.title, std::string("Open File"));
}

void TestMusicUploader::browseStagesAndReplaces_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << "Song.mp3";
    QTest::newRow("blanks") << "my new song.mp3";
    QTest::newRow("quotes") << "the \"best\" one.MP3";
    QTest::newRow("non-ASCII") << "Ünïcödé 歌.mp3";
    QTest::newRow("leading dash") << "-rf.mp3";
    QTest::newRow("other type") << "cover.jpg";
}

void TestMusicUploader::browseStagesAndReplaces() {
    QFETCH(QString, name);
    Staging staging;
    TempFolder music;
    const std::string source = music / name.toStdString();
    WriteFile(source, "first take");
    MusicUploader& window = staging.show();

    staging.dialog.chooseNext(source);
    window.Browse->click();
    QCOMPARE(staging.listed(), QStringList{name});
    QCOMPARE(window.File1->item(0)->text(), name);
    WriteFile(source, "second take");
    staging.dialog.chooseNext(source);
    window.Browse->click();
    QCOMPARE(staging.listed(), QStringList{name});
    QCOMPARE(ReadFile(staging.temp(name.toStdString())), std::string("second take"));
    QVERIFY(staging.messages.shown.empty());

    // A staged file chosen again stays whole.
    staging.dialog.chooseNext(staging.temp(name.toStdString()));
    window.Browse->click();
    QCOMPARE(ReadFile(staging.temp(name.toStdString())), std::string("second take"));
}

void TestMusicUploader::browseCancelAndDialogFailure_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("message");
    QTest::newRow("cancel") << 0 << "";
    QTest::newRow("cancel reported as failure") << 32755 << "";
    QTest::newRow("failure") << 20476 << "Error 20476 selecting file.\r\nBuffer too small";
    QTest::newRow("negative failure") << -7 << "Error -7 selecting file.\r\nBuffer too small";
}

void TestMusicUploader::browseCancelAndDialogFailure() {
    QFETCH(int, number);
    QFETCH(QString, message);
    Staging staging;
    std::filesystem::create_directory(staging.temp());
    WriteFile(staging.temp("kept.mp3"), "x");
    MusicUploader& window = staging.show();
    if (number == 0)
        staging.dialog.cancelNext();
    else
        staging.dialog.failNext(number, "Buffer too small");
    window.Browse->click();
    QCOMPARE(staging.dialog.shownWith.size(), size_t(1));
    QCOMPARE(staging.listed(), QStringList{"kept.mp3"});
    QCOMPARE(AllNames(staging.temp()), QStringList{"kept.mp3"});
    if (message.isEmpty()) {
        QVERIFY(staging.messages.shown.empty());
        return;
    }
    QCOMPARE(staging.messages.shown.size(), size_t(1));
    QCOMPARE(QString::fromStdString(staging.messages.shown[0].text), message);
    QCOMPARE(staging.messages.shown[0].style, 0);
    QCOMPARE(staging.messages.shown[0].title, std::string("Wavecrest"));
}

void TestMusicUploader::failingCopyKeepsOldCopy() {
    Staging staging;
    TempFolder music;
    std::filesystem::create_directory(staging.temp());
    WriteFile(staging.temp("song.mp3"), "earlier copy");
    MusicUploader& window = staging.show();
    staging.dialog.chooseNext(music / "song.mp3"); // gone before the copy
    window.Browse->click();
    QCOMPARE(staging.messages.shown.size(), size_t(1));
    const QString text = QString::fromStdString(staging.messages.shown[0].text);
    QVERIFY2(text.contains(QString::fromStdString(music / "song.mp3")), qPrintable(text));
    QCOMPARE(ReadFile(staging.temp("song.mp3")), std::string("earlier copy"));
    QCOMPARE(AllNames(staging.temp()), QStringList{"song.mp3"});
}

void TestMusicUploader::deleteSelected_data() {
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("remaining");
    const QStringList all{"a.mp3", "b b.mp3", "late.mp3", "what?.mp3", "whatX.mp3"};
    QTest::newRow("yes") << 1 << 6 << QStringList{"a.mp3", "late.mp3", "what?.mp3", "whatX.mp3"};
    QTest::newRow("no") << 1 << 7 << all;
    QTest::newRow("no current entry") << -1 << 0 << all;
    QTest::newRow("name with wildcard")
        << 2 << 6 << QStringList{"a.mp3", "b b.mp3", "late.mp3", "whatX.mp3"};
}

void TestMusicUploader::deleteSelected() {
    QFETCH(int, selected);
    QFETCH(int, answer);
    QFETCH(QStringList, remaining);
    Staging staging;
    std::filesystem::create_directory(staging.temp());
    for (const char* name : {"a.mp3", "b b.mp3", "what?.mp3", "whatX.mp3"})
        WriteFile(staging.temp(name), "x");
    MusicUploader& window = staging.show();
    if (selected >= 0)
        window.File1->setCurrentRow(selected);
    staging.messages.setNextAnswer(answer);
    WriteFile(staging.temp("late.mp3"), "x"); // appears at the next refresh
    window.cmdDelete->click();

    if (selected < 0) {
        QVERIFY(staging.messages.shown.empty());
        QCOMPARE(staging.listed().size(), 4);
        return;
    }
    QCOMPARE(staging.messages.shown.size(), size_t(1));
    QCOMPARE(staging.messages.shown[0].text, std::string("Are you sure you want to delete that?"));
    QCOMPARE(staging.messages.shown[0].style, 324);
    QCOMPARE(staging.messages.shown[0].title, std::string("Wavecrest"));
    QCOMPARE(staging.listed(), remaining);
    QCOMPARE(AllNames(staging.temp()), remaining);
    QCOMPARE(window.File1->ListIndex(), -1);
}

void TestMusicUploader::deleteAllIsQuietEvenWhenEmpty() {
    Staging staging;
    std::filesystem::create_directory(staging.temp());
    for (const char* name : {"a.mp3", "B.MP3", "notes.txt", "README"})
        WriteFile(staging.temp(name), "x");
    MusicUploader& window = staging.show();
    window.Delete->click();
    QVERIFY(staging.listed().isEmpty());
    QVERIFY(AllNames(staging.temp()).isEmpty());
    window.Delete->click();
    QVERIFY(staging.messages.shown.empty());
    QVERIFY(std::filesystem::is_directory(staging.temp()));
}

void TestMusicUploader::finishKeepsOtherFilesAndClosesWithoutMp3() {
    Staging staging;
    std::filesystem::create_directory(staging.temp());
    for (const char* name : {"a.mp3", "B.MP3", "c.Mp3", "notes.txt"})
        WriteFile(staging.temp(name), "x");
    staging.show().Finish->click();
    QVERIFY(!staging.uploader.isLoaded());
    QCOMPARE(AllNames(staging.temp()), QStringList{"notes.txt"});

    MusicUploader& again = staging.show();
    QCOMPARE(staging.uploader.loads(), 2);
    QCOMPARE(staging.listed(), QStringList{"notes.txt"});
    again.Finish->click(); // no MP3 file left: still closes
    QVERIFY(!staging.uploader.isLoaded());
    QVERIFY(staging.messages.shown.empty());
    QCOMPARE(AllNames(staging.temp()), QStringList{"notes.txt"});
}

void TestMusicUploader::sendStartsClientMinimizedInApplicationFolder() {
    Staging staging;
    MusicUploader& window = staging.show();
    WriteFile(staging.temp("song.mp3"), "x");
    window.File1->Refresh();
    std::filesystem::current_path("/");
    window.Send->click();
    window.Send->click();
    QCOMPARE(staging.starter.started.size(), size_t(2));
    for (size_t i = 0; i < 2; ++i) {
        QCOMPARE(staging.starter.started[i].commandLine, std::string("ftp.exe -s:sendfiles.ftps"));
        QCOMPARE(staging.starter.started[i].windowState, 2);
        QCOMPARE(staging.starter.folders[i],
                 std::filesystem::canonical(staging.app.path()).string());
    }
    QCOMPARE(staging.listed(), QStringList{"song.mp3"});
    QCOMPARE(AllNames(staging.temp()), QStringList{"song.mp3"});
    QVERIFY(staging.messages.shown.empty());
}

void TestMusicUploader::sendThatCannotStartIsReported() {
    Staging staging;
    staging.starter.failing = true;
    staging.show().Send->click();
    QCOMPARE(staging.messages.shown.size(), size_t(1));
    QVERIFY(QString::fromStdString(staging.messages.shown[0].text)
                .startsWith("Starting the FTP client failed."));
}

void TestMusicUploader::sendStartsRealProgram() {
    Staging staging;
    platform::PosixProcessStarter starter(staging.app.path());
    platform::Services chosen = platform::services();
    chosen.processes = &starter;
    platform::install(chosen);
    const std::string stub = staging.app / "ftp.exe";
    WriteFile(stub, "#!/bin/sh\n"
                    "printf '%s\\n' \"$PWD\" \"$#\" \"$@\" > record.part\n"
                    "mv record.part record.txt\n");
    std::filesystem::permissions(stub, std::filesystem::perms::owner_all);

    MusicUploader& window = staging.show();
    std::filesystem::current_path("/");
    window.Send->click();
    QVERIFY(staging.messages.shown.empty());
    const std::string record = staging.app / "record.txt";
    QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(record), 10000);
    const std::string expected =
        std::filesystem::canonical(staging.app.path()).string() + "\n1\n-s:sendfiles.ftps\n";
    QCOMPARE(ReadFile(record), expected);
}

void TestMusicUploader::windowLayout() {
    Staging staging;
    MusicUploader& window = staging.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(window.windowTitle(), QString("Music Uploader"));
    QCOMPARE(window.size(), QSize(410, 300));
    QCOMPARE(window.minimumSize(), window.maximumSize());
    QVERIFY(!(window.windowFlags() & Qt::WindowMinMaxButtonsHint));
    QCOMPARE(QApplication::focusWidget(), window.Browse);
    QCOMPARE(window.Browse->text(), QString("Browse for .MP3 files"));
    QCOMPARE(window.Browse->geometry(), QRect(136, 40, 153, 33));
    QCOMPARE(window.File1->geometry(), QRect(16, 96, 377, 71));
    QVERIFY(window.Label4->x() >= window.width());
    QCOMPARE(window.Label3->text(), QString(MusicUploader::kBrowsingHint));
    QVERIFY(window.Label3->text().contains("send.    You"));
    for (QLabel* hint : {window.Label1, window.Label2, window.Label3}) {
        const QRect box(QPoint(), hint->size());
        QVERIFY2(
            QFontMetrics(hint->font()).boundingRect(box, Qt::TextWordWrap, hint->text()).height() <=
                box.height(),
            qPrintable(hint->text()));
    }
    QCOMPARE(window.Send->nextInFocusChain(), window.File1);
}

QTEST_MAIN(TestMusicUploader)
#include "tst_music_uploader.moc"
