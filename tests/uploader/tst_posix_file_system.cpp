// The POSIX file system against real temporary folders.
#include "TempFolder.h"
#include "platform/Failure.h"
#include "platform/posix/PosixFileSystem.h"

#include <QtTest>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <unistd.h>

using platform::PosixFileSystem;

namespace {

QStringList Listed(const PosixFileSystem& files, const std::string& folder) {
    QStringList names;
    for (const std::string& name : files.ListFiles(folder))
        names << QString::fromStdString(name);
    return names;
}

// Lets writes beyond `bytes` fail with EFBIG instead of ending the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

} // namespace

class TestPosixFileSystem : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void wildcardMatch_data();
    void wildcardMatch();
    void listShowsOrdinaryFilesInFileManagerOrder();
    void copyStagesAndReplaces();
    void copyOntoItselfKeepsTheFile();
    void failingCopyLeavesOldCopyAndNoStrayFile_data();
    void failingCopyLeavesOldCopyAndNoStrayFile();
    void deleteMatchingIgnoresCaseAndFolders();
    void deleteMatchingWithoutMatchDoesNothing();
    void deleteExactNameHoldingWildcards();
    void foldersAndCurrentFolder();
};

void TestPosixFileSystem::wildcardMatch_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("matches");
    QTest::newRow("mp3 lower") << "*.mp3"
                               << "song.mp3" << true;
    QTest::newRow("mp3 upper") << "*.mp3"
                               << "Song.MP3" << true;
    QTest::newRow("mp3 mixed") << "*.mp3"
                               << "Song.Mp3" << true;
    QTest::newRow("other type") << "*.mp3"
                                << "song.wav" << false;
    QTest::newRow("longer type") << "*.mp3"
                                 << "song.mp3x" << false;
    QTest::newRow("all with dot") << "*.*"
                                  << "a.b.c" << true;
    QTest::newRow("all without dot") << "*.*"
                                     << "README" << true;
    QTest::newRow("question mark") << "track?.mp3"
                                   << "Track7.mp3" << true;
    QTest::newRow("question mark needs one") << "track?.mp3"
                                             << "Track.mp3" << false;
    QTest::newRow("accented capitals") << "*ÉTÉ*"
                                       << "chanson d'été.mp3" << true;
    QTest::newRow("cyrillic") << "ПЕСНЯ.mp3"
                              << "песня.MP3" << true;
    QTest::newRow("many stars") << "*a*b*c*.mp3"
                                << "xaxbxcx.mp3" << true;
    QTest::newRow("stars no match") << "*a*b*c*.mp3"
                                    << "xcxbxax.mp3" << false;
}

void TestPosixFileSystem::wildcardMatch() {
    QFETCH(QString, pattern);
    QFETCH(QString, name);
    QFETCH(bool, matches);
    QCOMPARE(platform::WildcardMatch(pattern.toStdString(), name.toStdString()), matches);
}

void TestPosixFileSystem::listShowsOrdinaryFilesInFileManagerOrder() {
    TempFolder folder;
    for (const char* name : {"track 10.mp3", "Track 2.mp3", "b.mp3", "A.mp3", "-dash.mp3",
                             "with \"quotes\".mp3", "été.mp3", ".hidden.mp3"})
        WriteFile(folder / name, "x");
    std::filesystem::create_directory(folder / "subfolder");
    std::filesystem::create_symlink(folder / "b.mp3", folder / "link.mp3");
    PosixFileSystem files;
    QCOMPARE(Listed(files, folder.path()),
             (QStringList{"-dash.mp3", "A.mp3", "b.mp3", "link.mp3", "Track 2.mp3", "track 10.mp3",
                          "with \"quotes\".mp3", "été.mp3"}));
    QVERIFY(platform::FileListOrder("song.mp3", "Song2.mp3"));
    QVERIFY(!platform::FileListOrder("x10", "X9"));
    QVERIFY_THROWS_EXCEPTION(platform::Failure, files.ListFiles(folder / "missing"));
}

void TestPosixFileSystem::copyStagesAndReplaces() {
    TempFolder source, staging;
    PosixFileSystem files;
    const std::string big(40 << 20, '\x5a'); // several chunks of the copy
    WriteFile(source / "my song.mp3", big);
    files.CopyInto(source / "my song.mp3", staging / "my song.mp3");
    QCOMPARE(ReadFile(staging / "my song.mp3"), big);
    WriteFile(source / "my song.mp3", "newer");
    files.CopyInto(source / "my song.mp3", staging / "my song.mp3");
    QCOMPARE(ReadFile(staging / "my song.mp3"), std::string("newer"));
    QCOMPARE(AllNames(staging.path()), QStringList{"my song.mp3"});
}

void TestPosixFileSystem::copyOntoItselfKeepsTheFile() {
    TempFolder staging;
    PosixFileSystem files;
    WriteFile(staging / "song.mp3", "music");
    files.CopyInto(staging / "song.mp3", staging / "song.mp3");
    files.CopyInto(staging.path() + "/./song.mp3", staging / "song.mp3");
    QCOMPARE(ReadFile(staging / "song.mp3"), std::string("music"));
    QCOMPARE(AllNames(staging.path()), QStringList{"song.mp3"});
}

void TestPosixFileSystem::failingCopyLeavesOldCopyAndNoStrayFile_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("source missing") << "missing";
    QTest::newRow("source is a folder") << "folder";
    QTest::newRow("disk full midway") << "full";
}

void TestPosixFileSystem::failingCopyLeavesOldCopyAndNoStrayFile() {
    QFETCH(QString, kind);
    TempFolder source, staging;
    PosixFileSystem files;
    WriteFile(staging / "song.mp3", "earlier copy");
    std::string from = source / "song.mp3";
    if (kind == "folder")
        std::filesystem::create_directory(from);
    if (kind == "full")
        WriteFile(from, std::string(1 << 20, 'x'));

    bool failed = false;
    try {
        std::unique_ptr<FileSizeLimit> limit;
        if (kind == "full")
            limit = std::make_unique<FileSizeLimit>(64 * 1024);
        files.CopyInto(from, staging / "song.mp3");
    } catch (const platform::Failure& failure) {
        failed = true;
        QVERIFY(failure.number() != 0);
        QVERIFY(!failure.description().empty());
    }
    QVERIFY(failed);
    QCOMPARE(ReadFile(staging / "song.mp3"), std::string("earlier copy"));
    QCOMPARE(AllNames(staging.path()), QStringList{"song.mp3"});
}

void TestPosixFileSystem::deleteMatchingIgnoresCaseAndFolders() {
    TempFolder staging;
    PosixFileSystem files;
    for (const char* name : {"a.mp3", "B.MP3", "c.Mp3", "notes.txt", "README", ".hidden.mp3"})
        WriteFile(staging / name, "x");
    std::filesystem::create_directory(staging / "folder.mp3");
    files.DeleteMatching(staging / "*.mp3");
    QCOMPARE(AllNames(staging.path()),
             (QStringList{".hidden.mp3", "README", "folder.mp3", "notes.txt"}));
    files.DeleteMatching(staging / "*.*");
    QCOMPARE(AllNames(staging.path()), (QStringList{".hidden.mp3", "folder.mp3"}));
}

void TestPosixFileSystem::deleteMatchingWithoutMatchDoesNothing() {
    TempFolder staging;
    PosixFileSystem files;
    WriteFile(staging / "keep.txt", "x");
    files.DeleteMatching(staging / "*.mp3");
    files.DeleteMatching(staging / "absent.mp3");
    files.DeleteMatching(staging.path() + "/missing/*.*");
    QCOMPARE(AllNames(staging.path()), QStringList{"keep.txt"});
}

void TestPosixFileSystem::deleteExactNameHoldingWildcards() {
    TempFolder staging;
    PosixFileSystem files;
    WriteFile(staging / "why?.mp3", "x");
    WriteFile(staging / "whyX.mp3", "x");
    files.DeleteMatching(staging / "why?.mp3");
    QCOMPARE(AllNames(staging.path()), QStringList{"whyX.mp3"});
}

void TestPosixFileSystem::foldersAndCurrentFolder() {
    TempFolder app;
    PosixFileSystem files(app.path());
    QCOMPARE(files.ApplicationFolder(), app.path());
    QCOMPARE(PosixFileSystem().ApplicationFolder(),
             QCoreApplication::applicationDirPath().toStdString());
    QVERIFY(!files.FolderExists(app / "temp"));
    files.MakeFolder(app / "temp");
    QVERIFY(files.FolderExists(app / "temp"));
    try {
        files.MakeFolder(app / "temp");
        QFAIL("made a folder twice");
    } catch (const platform::Failure& failure) {
        QCOMPARE(failure.number(), EEXIST);
    }
    WriteFile(app / "temp/song.mp3", "x");
    WriteFile(app / "temp/.song.mp3", "x");
    QVERIFY(files.FileExists(app / "temp/song.mp3"));
    QVERIFY(!files.FileExists(app / "temp/.song.mp3"));
    QVERIFY(!files.FileExists(app / "temp"));

    const auto before = std::filesystem::current_path();
    files.SetCurrentFolder(app.path());
    QCOMPARE(files.CurrentFolder(), std::filesystem::canonical(app.path()).string());
    std::filesystem::current_path(before);
    QVERIFY_THROWS_EXCEPTION(platform::Failure, files.SetCurrentFolder(app / "missing"));
}

QTEST_GUILESS_MAIN(TestPosixFileSystem)
#include "tst_posix_file_system.moc"
