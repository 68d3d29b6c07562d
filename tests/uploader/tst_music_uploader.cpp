// The uploader window on a real staging folder: load, Browse, Delete
// Selected, Delete All, Finish! and Send.
#include "Staging.h"

#include <QAccessible>
#include <QFontMetrics>
#include <QLabel>
#include <QtTest>

#include <fcntl.h>
#include <future>
#include <sys/file.h>
#include <sys/stat.h>

class TestMusicUploader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        // Closing the last window must not end the test, nor stop a later copy.
        platform::LoadedWindows::setEndProgram([] {});
    }

    void loadShowsWindowFolderAndDialog() {
        Staging staging;
        std::filesystem::current_path("/");
        MusicUploader& window = staging.show();
        QVERIFY(std::filesystem::is_directory(staging.temp()));
        const std::string app = std::filesystem::canonical(staging.app.path()).string();
        QCOMPARE(std::filesystem::current_path(), app);
        QCOMPARE(window.Label4->text().toStdString(), app);
        const platform::FileDialogSettings& d = window.DlgOpenFile;
        QVERIFY(std::tie(d.initialFolder, d.filter, d.filterIndex, d.title, d.flags,
                         d.cancelError) == std::tuple(staging.app.path(),
                                                      "MP3 Files (*.MP3)|*.mp3|All Files (*.*)|*.*",
                                                      1, "Open File", 0x281004u, true));
        QVERIFY(staging.messages.shown.empty());

        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCOMPARE(window.windowTitle(), QString("Music Uploader"));
        QCOMPARE(window.size(), QSize(410, 300));
        QCOMPARE(window.minimumSize(), window.maximumSize());
        QVERIFY(!(window.windowFlags() & Qt::WindowMinMaxButtonsHint));
        QCOMPARE(QApplication::focusWidget(), window.Browse);
        QCOMPARE(window.Browse->text(), QString("Browse for .MP3 files"));
        QCOMPARE(window.Browse->geometry(), QRect(136, 40, 153, 33));
        QCOMPARE(window.File1->geometry(), QRect(16, 96, 377, 71));
        // A screen reader names the list by its label.
        QCOMPARE(QAccessible::queryAccessibleInterface(window.File1)->text(QAccessible::Name),
                 window.Label1->text());
        QVERIFY(window.Label4->x() >= window.width());
        QVERIFY(window.Label3->text().contains("send.    You"));
        for (QLabel* hint : {window.Label1, window.Label2, window.Label3}) {
            const QRect box(QPoint(), hint->size());
            const QFontMetrics metrics(hint->font());
            QVERIFY(metrics.boundingRect(box, Qt::TextWordWrap, hint->text()).height() <=
                    box.height());
        }
        QCOMPARE(window.Send->nextInFocusChain(), window.File1);
    }

    void loadListsEarlierFilesAndClearsUnfinishedCopies() {
        Staging staging;
        staging.put({"track 10.mp3", "Track 2.mp3", "b.mp3", "A.MP3", "-dash.mp3", "été.mp3",
                     "b.mp3.copying", ".part", ".b.mp3.AbCdEf.part"});
        std::filesystem::create_directory(staging.temp("folder.mp3"));
        std::filesystem::create_symlink(staging.temp("b.mp3"), staging.temp("link.mp3"));
        mkfifo(staging.temp("fifo.mp3").c_str(), 0600);
        const QStringList before = AllNames(staging.temp());
        const std::string leftover = CrashWhileCopying(staging.temp("b.mp3"));
        QVERIFY(!leftover.empty());
        // While another instance's copy holds its file, a load leaves it alone.
        const int running = open(staging.temp(leftover).c_str(), O_RDONLY);
        flock(running, LOCK_EX);
        staging.show().close();
        QVERIFY(std::filesystem::exists(staging.temp(leftover)));
        close(running);
        staging.show();
        QCOMPARE(staging.listed(),
                 (QStringList{"-dash.mp3", "A.MP3", "b.mp3", "b.mp3.copying", "link.mp3",
                              "Track 2.mp3", "track 10.mp3", "été.mp3"}));
        QCOMPARE(AllNames(staging.temp()), before);
    }

    void loadReportsStagingFolderThatCannotBeMade() {
        Staging staging;
        WriteFile(staging.temp(), "a file where the folder should be");
        staging.show();
        QVERIFY(staging.uploader.isLoaded());
        const QString text = staging.onlyMessage();
        QVERIFY2(text.startsWith(QString::fromStdString("Creating the folder \"" + staging.temp() +
                                                        "\" failed.")),
                 qPrintable(text));
        QVERIFY2(text.contains("File exists"), qPrintable(text));
    }

    void browseStagesAndReplaces_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << "Song.mp3";
        QTest::newRow("blanks") << "my new song.mp3";
        QTest::newRow("quotes") << "the \"best\" one.MP3";
        QTest::newRow("non-ASCII") << "Ünïcödé 歌.mp3";
        QTest::newRow("leading dash") << "-rf.mp3";
        QTest::newRow("a pattern") << "*.mp3";
        QTest::newRow("other type") << "cover.jpg";
    }

    void browseStagesAndReplaces() {
        QFETCH(QString, name);
        Staging staging;
        TempFolder music;
        const std::string source = music / name.toStdString();
        WriteFile(source, "first take");
        chmod(source.c_str(), 06755); // setuid, setgid, executable
        MusicUploader& window = staging.show();

        staging.dialog.chooseNext(source);
        QTest::keyClick(window.Browse, Qt::Key_Return); // Browse has the focus: Enter presses it
        QCOMPARE(staging.listed(), QStringList{name});
        QCOMPARE(window.File1->item(0)->text(), name);
        struct stat staged {};
        QCOMPARE(stat(staging.temp(name.toStdString()).c_str(), &staged), 0);
        QCOMPARE(staged.st_mode & (S_ISUID | S_ISGID | 0111 | 0600), 0600u); // plain data
        WriteFile(source, "second take"); // dropped on the list: staged alike
        QVERIFY(Drop(window.File1->viewport(), {source}));
        QCOMPARE(staging.listed(), QStringList{name});
        QCOMPARE(ReadFile(staging.temp(name.toStdString())), std::string("second take"));
        QVERIFY(staging.messages.shown.empty());

        // A staged file chosen again stays whole.
        staging.dialog.chooseNext(staging.temp(name.toStdString()));
        window.Browse->click();
        QCOMPARE(ReadFile(staging.temp(name.toStdString())), std::string("second take"));
    }

    void browseThatStagesNothing_data() {
        // What the dialog gives: its cancel or failure number, or a kind of file.
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("message"); // the start of the one message, "" for none
        const QString dialogFailure = "Error %1 selecting file.\r\nBuffer too small";
        const QString copyFailure = "Copying the chosen file into the staging folder failed.";
        QTest::newRow("cancel") << "cancel"
                                << "";
        QTest::newRow("cancel reported as failure") << "32755"
                                                    << "";
        QTest::newRow("dialog failure") << "-20476" << dialogFailure.arg(-20476);
        QTest::newRow("file gone before the copy") << "missing" << copyFailure;
        QTest::newRow("a folder") << "folder" << copyFailure;
        QTest::newRow("a FIFO") << "fifo" << copyFailure;
        QTest::newRow("disk full midway") << "full" << copyFailure;
    }

    void browseThatStagesNothing() {
        QFETCH(QString, chosen);
        QFETCH(QString, message);
        Staging staging;
        TempFolder music;
        const std::string path = music / "song.mp3";
        if (chosen == "folder")
            std::filesystem::create_directory(path);
        if (chosen == "fifo")
            mkfifo(path.c_str(), 0600);
        if (chosen == "full")
            WriteFile(path, std::string(1 << 20, 'x'));
        staging.put({});
        WriteFile(staging.temp("song.mp3"), "earlier copy");
        MusicUploader& window = staging.show();
        bool isNumber = false;
        const int number = chosen.toInt(&isNumber);
        if (isNumber)
            staging.dialog.failNext(number, "Buffer too small");
        else if (chosen != "cancel")
            staging.dialog.chooseNext(path);
        std::promise<void> clicked;
        // Should the copy hang opening the FIFO, its writer comes after a while.
        auto hung = std::async(std::launch::async, [&path, done = clicked.get_future()] {
            if (done.wait_for(std::chrono::seconds(10)) == std::future_status::ready)
                return false;
            return close(open(path.c_str(), O_WRONLY | O_NONBLOCK)), true;
        });
        {
            FileSizeLimit limit(chosen == "full" ? 64 * 1024 : RLIM_INFINITY);
            window.Browse->click();
        }
        clicked.set_value();
        QVERIFY(!hung.get());
        QCOMPARE(staging.dialog.shownWith.size(), size_t(1));
        QCOMPARE(staging.listed(), QStringList{"song.mp3"});
        QCOMPARE(ReadFile(staging.temp("song.mp3")), std::string("earlier copy"));
        QCOMPARE(AllNames(staging.temp()), QStringList{"song.mp3"});
        if (message.isEmpty()) {
            QVERIFY(staging.messages.shown.empty());
            return;
        }
        const QString text = staging.onlyMessage();
        QVERIFY2(text.startsWith(message), qPrintable(text));
        QVERIFY2(isNumber || text.contains(QString::fromStdString(path)), qPrintable(text));
        QCOMPARE(staging.messages.shown[0].title, std::string("Wavecrest"));
        if (isNumber)
            QCOMPARE(staging.messages.shown[0].style, 0); // OK only, no icon
    }

    void deleteSelected_data() {
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("goneMeanwhile");
        QTest::addColumn<QStringList>("remaining");
        const QStringList all{"a.mp3", "b b.mp3", "late.mp3", "what?.mp3", "whatX.mp3"};
        const QStringList withoutPattern{"a.mp3", "b b.mp3", "late.mp3", "whatX.mp3"};
        QTest::newRow("yes") << 1 << 6 << false
                             << QStringList{"a.mp3", "late.mp3", "what?.mp3", "whatX.mp3"};
        QTest::newRow("no") << 1 << 7 << false << all;
        QTest::newRow("no current entry") << -1 << 0 << false << all;
        QTest::newRow("name with wildcard") << 2 << 6 << false << withoutPattern;
        QTest::newRow("deleted by another instance") << 2 << 6 << true << withoutPattern;
    }

    void deleteSelected() {
        QFETCH(int, selected);
        QFETCH(int, answer);
        QFETCH(bool, goneMeanwhile);
        QFETCH(QStringList, remaining);
        Staging staging;
        staging.put({"a.mp3", "b b.mp3", "what?.mp3", "whatX.mp3"});
        MusicUploader& window = staging.show();
        window.File1->setCurrentRow(selected);
        staging.messages.setNextAnswer(answer);
        WriteFile(staging.temp("late.mp3"), "x"); // appears at the next refresh
        if (goneMeanwhile)
            std::filesystem::remove(staging.temp("what?.mp3"));
        window.cmdDelete->click();

        QCOMPARE(AllNames(staging.temp()), remaining);
        if (selected < 0) {
            QVERIFY(staging.messages.shown.empty());
            QCOMPARE(staging.listed().size(), 4);
            return;
        }
        QCOMPARE(staging.messages.shown.size(), size_t(1));
        QCOMPARE(staging.messages.shown[0].text,
                 std::string("Are you sure you want to delete that?"));
        QCOMPARE(staging.messages.shown[0].style, 324);
        QCOMPARE(staging.messages.shown[0].title, std::string("Wavecrest"));
        QCOMPARE(staging.listed(), remaining);
        QCOMPARE(window.File1->ListIndex(), -1);
    }

    void patternDeletions_data() {
        QTest::addColumn<bool>("finish");
        QTest::addColumn<QStringList>("remaining");
        QTest::addColumn<QStringList>("listedAfter");
        // Hidden names, folders and FIFOs are never listed, so never deleted.
        const QStringList unlisted{".hidden.mp3", "fifo.mp3", "folder.mp3"};
        QTest::newRow("Delete All") << false << unlisted << QStringList{};
        QTest::newRow("Finish!") << true << QStringList{"*.*",      ".hidden.mp3", "README",
                                                        "fifo.mp3", "folder.mp3",  "notes.txt"}
                                 << QStringList{"*.*", "notes.txt", "README"};
    }

    void patternDeletions() {
        QFETCH(bool, finish);
        QFETCH(QStringList, remaining);
        QFETCH(QStringList, listedAfter);
        Staging staging;
        staging.put(
            {"a.mp3", "B.MP3", "c.Mp3", "*.mp3", "*.*", "notes.txt", "README", ".hidden.mp3"});
        std::filesystem::create_directory(staging.temp("folder.mp3"));
        mkfifo(staging.temp("fifo.mp3").c_str(), 0600);
        for (int click = 0; click < 2; ++click) { // the second finds nothing to delete
            MusicUploader& window = staging.show();
            (finish ? window.Finish : window.Delete)->click();
            QCOMPARE(staging.uploader.isLoaded(), !finish);
            QCOMPARE(AllNames(staging.temp()), remaining);
        }
        staging.show();
        QCOMPARE(staging.listed(), listedAfter);
        QVERIFY(staging.messages.shown.empty());
    }

    void sendStartsClientMinimizedInApplicationFolder() {
        Staging staging;
        staging.put({"song.mp3"});
        MusicUploader& window = staging.show();
        std::filesystem::current_path("/");
        window.Send->click();
        window.Send->click();
        const std::string app = std::filesystem::canonical(staging.app.path()).string();
        QCOMPARE(staging.starter.folders, std::vector<std::string>(2, app));
        QCOMPARE(staging.starter.started[1].commandLine, std::string("ftp.exe -s:sendfiles.ftps"));
        QCOMPARE(staging.starter.started[1].windowState, 2);
        QCOMPARE(staging.listed(), QStringList{"song.mp3"});
        QCOMPARE(AllNames(staging.temp()), QStringList{"song.mp3"});
        QVERIFY(staging.messages.shown.empty());

        staging.starter.failing = true;
        window.Send->click();
        QVERIFY(staging.onlyMessage().startsWith("Starting the FTP client failed."));
    }
};

QTEST_MAIN(TestMusicUploader)
#include "tst_music_uploader.moc"
