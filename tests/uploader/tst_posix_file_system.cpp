// The POSIX file system against real temporary folders.
#include "TempFolder.h"
#include "platform/Failure.h"
#include "platform/posix/PosixFileSystem.h"

#include <QtTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

using platform::PosixFileSystem;

class TestPosixFileSystem : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void wildcardMatch();
    void copyStagesInChunks();
    void unfinishedCopyIsClearedOnceItsCopyEnded();
    void foldersAndCurrentFolder();
};

void TestPosixFileSystem::wildcardMatch() {
    const struct {
        const char *pattern, *name;
        bool matches;
    } cases[] = {
        {"*.mp3", "Song.Mp3", true},
        {"*.mp3", "song.wav", false},
        {"*.*", "README", true},
        {"track?.mp3", "Track7.mp3", true},
        {"*ÉTÉ*", "chanson d'été.mp3", true},
        {"ПЕСНЯ.mp3", "песня.MP3", true},
        {"ΆΣΜΑ.mp3", "άσμα.mp3", true},
        {"ԵՐԳ.mp3", "երգ.mp3", true},
        {"*a*b*c*.mp3", "xaxbxcx.mp3", true},
        {"*.mp3", ".song.mp3", false},
        {"*", ".song.mp3", false},
        {".*.mp3", ".song.mp3", true},
    };
    for (const auto& c : cases)
        QVERIFY2(platform::WildcardMatch(c.pattern, c.name) == c.matches, c.name);
}

void TestPosixFileSystem::copyStagesInChunks() {
    TempFolder source, staging;
    PosixFileSystem files;
    const std::string big(40 << 20, '\x5a'); // several chunks of the copy
    WriteFile(source / "my song.mp3", big);
    files.CopyInto(source / "my song.mp3", staging / "my song.mp3");
    QCOMPARE(ReadFile(staging / "my song.mp3"), big);
    QCOMPARE(AllNames(staging.path()), QStringList{"my song.mp3"});
}

void TestPosixFileSystem::unfinishedCopyIsClearedOnceItsCopyEnded() {
    TempFolder staging;
    PosixFileSystem files;
    CrashWhileCopying(staging / "song.mp3");
    QCOMPARE(AllNames(staging.path()).size(), 1);
    // A copy still running (here: one holding the file's lock) keeps its file.
    const int running =
        open((staging / AllNames(staging.path())[0].toStdString()).c_str(), O_RDONLY);
    flock(running, LOCK_EX);
    files.ClearUnfinishedCopies(staging.path());
    QCOMPARE(AllNames(staging.path()).size(), 1);
    close(running);
    files.ClearUnfinishedCopies(staging.path());
    QVERIFY(AllNames(staging.path()).isEmpty());
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

    QVERIFY_THROWS_EXCEPTION(platform::Failure, files.SetCurrentFolder(app / "missing"));
}

QTEST_GUILESS_MAIN(TestPosixFileSystem)
#include "tst_posix_file_system.moc"
