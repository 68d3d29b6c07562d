// The POSIX file system against real temporary folders.
#include "TempFolder.h"
#include "platform/Failure.h"
#include "platform/posix/PosixFileSystem.h"

#include <QtTest>

#include <fcntl.h>
#include <future>
#include <sys/file.h>
#include <sys/stat.h>

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
    void copyStagesPlainDataAndReplaces();
    void failingCopyLeavesOldCopyAndNoStrayFile_data();
    void failingCopyLeavesOldCopyAndNoStrayFile();
    void crashedCopyIsClearedAndNothingElse();
    void deleteMatchingTakesEveryPatternAsPattern();
    void deleteExactFileTouchesNothingElse();
    void foldersAndCurrentFolder();
};

void TestPosixFileSystem::wildcardMatch_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("matches");
    const struct {
        const char *row, *pattern, *name;
        bool matches;
    } cases[] = {
        {"mp3 any case", "*.mp3", "Song.Mp3", true},
        {"other type", "*.mp3", "song.wav", false},
        {"longer type", "*.mp3", "song.mp3x", false},
        {"all with dot", "*.*", "a.b.c", true},
        {"all without dot", "*.*", "README", true},
        {"question mark", "track?.mp3", "Track7.mp3", true},
        {"question mark needs one", "track?.mp3", "Track.mp3", false},
        {"accented capitals", "*ÉTÉ*", "chanson d'été.mp3", true},
        {"cyrillic", "ПЕСНЯ.mp3", "песня.MP3", true},
        {"greek with accents", "ΆΣΜΑ.mp3", "άσμα.mp3", true},
        {"armenian", "ԵՐԳ.mp3", "երգ.mp3", true},
        {"many stars", "*a*b*c*.mp3", "xaxbxcx.mp3", true},
        {"stars no match", "*a*b*c*.mp3", "xcxbxax.mp3", false},
        {"hidden name, plain pattern", "*.mp3", ".song.mp3", false},
        {"hidden name, all", "*", ".song.mp3", false},
        {"hidden name asked for", ".*.mp3", ".song.mp3", true},
    };
    for (const auto& c : cases)
        QTest::newRow(c.row) << QString(c.pattern) << QString(c.name) << c.matches;
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
    mkfifo((folder / "fifo.mp3").c_str(), 0600);
    PosixFileSystem files;
    QCOMPARE(Listed(files, folder.path()),
             (QStringList{"-dash.mp3", "A.mp3", "b.mp3", "link.mp3", "Track 2.mp3", "track 10.mp3",
                          "with \"quotes\".mp3", "été.mp3"}));
    QVERIFY(!platform::FileListOrder("x10", "X9"));
    QVERIFY_THROWS_EXCEPTION(platform::Failure, files.ListFiles(folder / "missing"));
}

void TestPosixFileSystem::copyStagesPlainDataAndReplaces() {
    TempFolder source, staging;
    PosixFileSystem files;
    const std::string big(40 << 20, '\x5a'); // several chunks of the copy
    WriteFile(source / "my song.mp3", big);
    chmod((source / "my song.mp3").c_str(), 06755); // setuid, setgid, executable
    files.CopyInto(source / "my song.mp3", staging / "my song.mp3");
    QCOMPARE(ReadFile(staging / "my song.mp3"), big);
    struct stat info {};
    QCOMPARE(stat((staging / "my song.mp3").c_str(), &info), 0);
    QCOMPARE(info.st_mode & (S_ISUID | S_ISGID | 0111), 0u);
    QCOMPARE(info.st_mode & 0600, 0600u);

    WriteFile(source / "my song.mp3", "newer");
    files.CopyInto(source / "my song.mp3", staging / "my song.mp3");
    QCOMPARE(ReadFile(staging / "my song.mp3"), std::string("newer"));
    // A staged file chosen again stays whole.
    files.CopyInto(staging.path() + "/./my song.mp3", staging / "my song.mp3");
    QCOMPARE(ReadFile(staging / "my song.mp3"), std::string("newer"));
    QCOMPARE(AllNames(staging.path()), QStringList{"my song.mp3"});
}

void TestPosixFileSystem::failingCopyLeavesOldCopyAndNoStrayFile_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("source missing") << "missing";
    QTest::newRow("source is a folder") << "folder";
    QTest::newRow("source is a FIFO") << "fifo";
    QTest::newRow("disk full midway") << "full";
}

void TestPosixFileSystem::failingCopyLeavesOldCopyAndNoStrayFile() {
    QFETCH(QString, kind);
    TempFolder source, staging;
    PosixFileSystem files;
    WriteFile(staging / "song.mp3", "earlier copy");
    const std::string from = source / "song.mp3";
    if (kind == "folder")
        std::filesystem::create_directory(from);
    if (kind == "fifo")
        mkfifo(from.c_str(), 0600);
    if (kind == "full")
        WriteFile(from, std::string(1 << 20, 'x'));

    std::unique_ptr<FileSizeLimit> limit;
    if (kind == "full")
        limit = std::make_unique<FileSizeLimit>(64 * 1024);
    auto copy = std::async(std::launch::async, [&] { files.CopyInto(from, staging / "song.mp3"); });
    const bool refusedAtOnce = copy.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    if (!refusedAtOnce) // a reader stuck in opening the FIFO gets its writer
        close(open(from.c_str(), O_WRONLY | O_NONBLOCK));
    QVERIFY_THROWS_EXCEPTION(platform::Failure, copy.get());
    limit.reset();
    QVERIFY(refusedAtOnce);
    QCOMPARE(ReadFile(staging / "song.mp3"), std::string("earlier copy"));
    QCOMPARE(AllNames(staging.path()), QStringList{"song.mp3"});
}

void TestPosixFileSystem::crashedCopyIsClearedAndNothingElse() {
    TempFolder staging;
    PosixFileSystem files;
    CrashWhileCopying(staging / "song.mp3");
    const QStringList ours = AllNames(staging.path());
    QCOMPARE(ours.size(), 1);
    const QStringList users{".song.mp3", ".song.mp3.part", "song.mp3.copying"};
    for (const QString& name : users)
        WriteFile(staging / name.toStdString(), "the user's");
    // A copy still running holds its file.
    const int running = open((staging / ours[0].toStdString()).c_str(), O_RDONLY);
    flock(running, LOCK_EX);
    files.ClearUnfinishedCopies(staging.path());
    QCOMPARE(AllNames(staging.path()).size(), users.size() + 1);
    close(running);
    files.ClearUnfinishedCopies(staging.path());
    QCOMPARE(AllNames(staging.path()), users);
}

void TestPosixFileSystem::deleteMatchingTakesEveryPatternAsPattern() {
    TempFolder staging;
    PosixFileSystem files;
    for (const char* name : {"a.mp3", "B.MP3", "*.mp3", "*.*", "notes.txt", "README", ".hid.mp3"})
        WriteFile(staging / name, "x");
    std::filesystem::create_directory(staging / "folder.mp3");
    mkfifo((staging / "fifo.mp3").c_str(), 0600);
    files.DeleteMatching(staging / "*.mp3");
    QCOMPARE(AllNames(staging.path()),
             (QStringList{"*.*", ".hid.mp3", "README", "fifo.mp3", "folder.mp3", "notes.txt"}));
    files.DeleteMatching(staging / "*.*");
    QCOMPARE(AllNames(staging.path()), (QStringList{".hid.mp3", "fifo.mp3", "folder.mp3"}));
    files.DeleteMatching(staging / "*.mp3");
    files.DeleteMatching(staging.path() + "/missing/*.*");
    QCOMPARE(AllNames(staging.path()), (QStringList{".hid.mp3", "fifo.mp3", "folder.mp3"}));
}

void TestPosixFileSystem::deleteExactFileTouchesNothingElse() {
    TempFolder staging;
    PosixFileSystem files;
    for (const char* name : {"why?.mp3", "whyX.mp3", "*.mp3"})
        WriteFile(staging / name, "x");
    files.DeleteExactFile(staging / "why?.mp3");
    files.DeleteExactFile(staging / "why?.mp3"); // already gone
    files.DeleteExactFile(staging / "*.mp3");
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
    files.MakeFolder(app / "temp"); // made by another instance meanwhile
    WriteFile(app / "song.mp3", "x");
    QVERIFY_THROWS_EXCEPTION(platform::Failure, files.MakeFolder(app / "song.mp3"));
    WriteFile(app / ".song.mp3", "x");
    QVERIFY(files.FileExists(app / "song.mp3"));
    QVERIFY(!files.FileExists(app / ".song.mp3"));
    QVERIFY(!files.FileExists(app / "temp"));

    const auto before = std::filesystem::current_path();
    files.SetCurrentFolder(app.path());
    QCOMPARE(files.CurrentFolder(), std::filesystem::canonical(app.path()).string());
    std::filesystem::current_path(before);
    QVERIFY_THROWS_EXCEPTION(platform::Failure, files.SetCurrentFolder(app / "missing"));
}

QTEST_GUILESS_MAIN(TestPosixFileSystem)
#include "tst_posix_file_system.moc"
