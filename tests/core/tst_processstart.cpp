// Process start on POSIX: the program search and a real start of a stub
// program that records what it was given. (Command-line splitting is held
// against the system's own splitter under Wine: tests/windows/tst_cmdsplit.)
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <sys/wait.h>
#include <unistd.h>

#include "core/Failure.h"
#include "system/posix/PosixProcessStarter.h"

namespace {

// Records its folder, window state and arguments, one a line, in record.txt.
const char* kStub = "#!/bin/sh\n"
                    "{ pwd; echo \"$WAVECREST_SHOW_WINDOW\"; for a in \"$@\"; do echo \"[$a]\"; "
                    "done; } > record.tmp && mv record.tmp record.txt\n";

void WriteProgram(const QString& path, bool executable = true) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(kStub) > 0);
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner |
                        (executable ? QFile::ExeOwner : QFile::Permissions()));
}

QStringList WaitForRecord(const QString& folder) {
    QFile record(folder + "/record.txt");
    if (!QTest::qWaitFor([&] { return record.exists(); }, 10000) ||
        !record.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(record.readAll()).split('\n', Qt::SkipEmptyParts);
}

} // namespace

class ProcessStartTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void findsProgramsInWindowsOrder_data() {
        QTest::addColumn<QStringList>("placed"); // folder/name of executables
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("found"); // folder/name, empty: not found
        QTest::newRow("application folder first")
            << QStringList{"app/ftp.exe", "cur/ftp.exe", "path/ftp.exe"} << "ftp.exe"
            << "app/ftp.exe";
        QTest::newRow("then current folder")
            << QStringList{"cur/ftp.exe", "path/ftp.exe"} << "ftp.exe"
            << "cur/ftp.exe";
        QTest::newRow("no extension tries .exe first")
            << QStringList{"app/tool", "app/tool.exe"} << "tool"
            << "app/tool.exe";
        QTest::newRow("then search path, skipping what is not executable")
            << QStringList{"app/ftp.exe:plain", "path/ftp.exe"} << "ftp.exe"
            << "path/ftp.exe";
        QTest::newRow("missing") << QStringList{"app/other.exe"} << "ftp.exe"
                                 << "";
    }
    void findsProgramsInWindowsOrder() {
        QFETCH(QStringList, placed);
        QFETCH(QString, name);
        QFETCH(QString, found);
        QTemporaryDir root;
        std::vector<std::string> folders;
        for (const auto& folder : {"app", "cur", "path"}) {
            QDir(root.path()).mkdir(folder);
            folders.push_back(root.filePath(folder).toStdString());
        }
        for (auto entry : placed)
            WriteProgram(root.filePath(QString(entry).remove(":plain")), !entry.endsWith(":plain"));
        try {
            const auto path = platform::FindProgram(name.toStdString(), folders);
            QCOMPARE(QString::fromStdString(path), root.filePath(found));
        } catch (const platform::Failure& failure) {
            QVERIFY2(found.isEmpty(), failure.what());
        }
    }

    // Real starts of the stub from the "work dir" folder, with "app folder"
    // as the application folder; %1 stands for the test's root folder. The
    // arguments reach the program untouched by any shell, and no child is
    // left to reap. A missing program names the search folders in their order.
    void startsRealPrograms_data() {
        QTest::addColumn<QStringList>("programs");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("record"); // empty: the start fails with `reason`
        QTest::addColumn<QString>("reason");
        QTest::newRow("from the application folder, minimized")
            << QStringList{"app folder/ftp.exe"}
            << "ftp.exe -s:sendfiles.ftps \"a b\" \"say \\\"hi\\\"\" -dash \"$(touch pwned);x\" "
               "`touch pwned2`"
            << QStringList{"2",       "[-s:sendfiles.ftps]", "[a b]",    "[say \"hi\"]",
                           "[-dash]", "[$(touch pwned);x]",  "[`touch]", "[pwned2`]"}
            << "";
        QTest::newRow("quoted name with blanks from the current folder")
            << QStringList{"work dir/-my odd stub"} << "\"-my odd stub\" x \"q\\\"uote\""
            << QStringList{"1", "[x]", "[q\"uote]"} << "";
        QTest::newRow("unquoted path with blanks: the longer names in turn")
            << QStringList{"app folder/system info"} << "%1/app folder/system info /x y"
            << QStringList{"1", "[/x]", "[y]"} << "";
        QTest::newRow("missing program names the folders searched")
            << QStringList{} << "ftp.exe -s:sendfiles.ftps" << QStringList{}
            << "\"ftp.exe\" was not found in %1/app folder; %1/work dir; ";
    }
    void startsRealPrograms() {
        QFETCH(QStringList, programs);
        QFETCH(QString, line);
        QFETCH(QStringList, record);
        QFETCH(QString, reason);
        const auto restore = qScopeGuard([at = QDir::currentPath()] { QDir::setCurrent(at); });
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath("app folder") && QDir(root.path()).mkpath("work dir"));
        for (const auto& program : programs)
            WriteProgram(root.filePath(program));
        const QString work = root.filePath("work dir");
        QVERIFY(QDir::setCurrent(work));
        platform::PosixProcessStarter starter(root.filePath("app folder").toStdString());
        const auto inRoot = [&](QString text) { return text.replace("%1", root.path()); };
        const int state = record.isEmpty() ? 1 : record.front().toInt();
        try {
            starter.Start(inRoot(line).toStdString(), state);
            QVERIFY2(reason.isEmpty(), "started a program that is not there");
            QCOMPARE(WaitForRecord(work), QStringList{work} + record);
        } catch (const platform::Failure& failure) {
            QVERIFY2(QString(failure.what()).startsWith(inRoot(reason)), failure.what());
            QVERIFY(!reason.isEmpty());
        }
        QVERIFY(!QFile::exists(work + "/pwned") && !QFile::exists(work + "/pwned2"));
        errno = 0;
        QCOMPARE(waitpid(-1, nullptr, WNOHANG), -1); // no child left to reap
        QCOMPARE(errno, ECHILD);
    }
};

QTEST_GUILESS_MAIN(ProcessStartTest)
#include "tst_processstart.moc"
