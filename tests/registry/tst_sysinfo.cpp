// The registry value reader and the system information launcher, against
// registry files written here and fake processes, files and message boxes.
#include <QtTest>
#include <sys/stat.h>

#include "RegFileText.h"
#include "core/Failure.h"
#include "core/Paths.h"
#include "dialogs/SysInfoLauncher.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeMsgBox.h"
#include "fakes/FakeProcessStarter.h"
#include "system/posix/RegFileRegistry.h"

using namespace platform;

namespace {

const QString kMsinfo = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\r\n";
const QString kLocation = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location]\r\n";

} // namespace

class TestSysInfo : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { QVERIFY(dir_.isValid()); }

    void getKeyValue_data() {
        QTest::addColumn<QString>("line"); // under the MSINFO key
        QTest::addColumn<QString>("valueName");
        QTest::addColumn<QString>("before");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QString>("after");
        QTest::newRow("text stored with its zero") << "\"PATH\"=\"C:\\\\Tools\\\\msinfo32.exe\""
                                                   << "PATH"
                                                   << "x" << true << "C:\\Tools\\msinfo32.exe";
        QTest::newRow("text stored without its zero") << "\"PATH\"=hex(1):61,00,62,00,63,00"
                                                      << "PATH"
                                                      << "" << true << "abc";
        QTest::newRow("size 0 reads as empty text") << "\"PATH\"=hex(1):"
                                                    << "PATH"
                                                    << "x" << true << "";
        QTest::newRow("dword 03 02 01 00 is &h010203") << "\"N\"=dword:00010203"
                                                       << "N"
                                                       << "" << true << "66051";
        QTest::newRow("dword with top bit set is negative") << "\"N\"=dword:ffffffff"
                                                            << "N"
                                                            << "" << true << "-1";
        QTest::newRow("dword after non-hex text stays text") << "\"N\"=dword:00000102"
                                                             << "N"
                                                             << "C:" << true << "&hC:000102";
        QTest::newRow("binary leaves the text held") << "\"B\"=hex:01"
                                                     << "B"
                                                     << "held" << true << "held";
        QTest::newRow("1023 characters and the zero fit")
            << "\"PATH\"=\"" + QString(1023, 'a') + "\""
            << "PATH"
            << "" << true << QString(1023, 'a');
        QTest::newRow("over 1024 bytes counts as missing")
            << "\"PATH\"=\"" + QString(1024, 'a') + "\""
            << "PATH"
            << "x" << false << "";
        QTest::newRow("missing value") << "\"Other\"=\"v\""
                                       << "PATH"
                                       << "x" << false << "";
        QTest::newRow("missing key") << "[-" + kMsinfo.mid(1) << "PATH"
                                     << "x" << false << "";
    }
    void getKeyValue() {
        QFETCH(QString, line);
        QFETCH(QString, valueName);
        QFETCH(QString, before);
        QFETCH(bool, result);
        QFETCH(QString, after);
        RegFileRegistry registry(WriteRegFile(dir_, kMsinfo + line + "\r\n", RegFormat::Unicode5));
        std::string keyVal = before.toStdString();
        QCOMPARE(dialogs::GetKeyValue(registry, kHKeyLocalMachine, dialogs::kMsinfoKey,
                                      valueName.toStdString(), keyVal),
                 result);
        QCOMPARE(QString::fromStdString(keyVal), after);
    }

    // The three roads: started from "PATH", started from the folder, the message.
    void startSysInfo_data() {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("failing");       // "start" or "files"
        QTest::addColumn<QString>("started");       // empty: the message instead
        QTest::addColumn<QStringList>("fileTests"); // existence tests made
        const QString tool =
            QString::fromStdString(platform::JoinPath("C:\\Tools", "MSINFO32.EXE"));
        QTest::newRow("PATH used unchanged, no existence test")
            << kMsinfo + "\"PATH\"=\"C:\\\\Tools\\\\msinfo32.exe -x\"\r\n"
            << QStringList{} << ""
            << "C:\\Tools\\msinfo32.exe -x" << QStringList{};
        QTest::newRow("folder from MSINFO with the tool in it")
            << kLocation + "\"MSINFO\"=\"C:\\\\Tools\"\r\n"
            << QStringList{tool} << "" << tool << QStringList{tool};
        QTest::newRow("folder without the tool") << kLocation + "\"MSINFO\"=\"C:\\\\Tools\"\r\n"
                                                 << QStringList{} << ""
                                                 << "" << QStringList{tool};
        QTest::newRow("both values missing") << kMsinfo + kLocation << QStringList{} << ""
                                             << "" << QStringList{};
        QTest::newRow("PATH of another type starts nothing")
            << kMsinfo + "\"PATH\"=hex(2):61,00,00,00\r\n"
            << QStringList{} << ""
            << "" << QStringList{};
        QTest::newRow("existence test that cannot be made")
            << kLocation + "\"MSINFO\"=\"C:\\\\Tools\"\r\n"
            << QStringList{} << "files"
            << "" << QStringList{tool};
        QTest::newRow("PATH that cannot be started")
            << kMsinfo + "\"PATH\"=\"C:\\\\nothing.exe\"\r\n"
            << QStringList{} << "start"
            << "" << QStringList{};
    }
    void startSysInfo() {
        QFETCH(QString, body);
        QFETCH(QStringList, files);
        QFETCH(QString, failing);
        QFETCH(QString, started);
        QFETCH(QStringList, fileTests);
        RegFileRegistry registry(WriteRegFile(dir_, body));
        FakeFileSystem fileSystem;
        for (const auto& file : files)
            fileSystem.files.insert(file.toStdString());
        FakeProcessStarter processes;
        processes.failing = failing == "start";
        fileSystem.failing = failing == "files";
        FakeMsgBox messageBox;

        dialogs::StartSysInfo(registry, fileSystem, processes, messageBox);

        QStringList tested;
        for (const auto& path : fileSystem.existenceTests)
            tested << QString::fromStdString(path);
        QCOMPARE(tested, fileTests);
        QCOMPARE(processes.started.size(), size_t(!started.isEmpty()));
        QCOMPARE(messageBox.shown.size(), size_t(started.isEmpty()));
        if (started.isEmpty()) {
            QCOMPARE(messageBox.shown[0].text,
                     std::string("System Information Is Unavailable At This Time"));
            QCOMPARE(messageBox.shown[0].style, 0);
            QCOMPARE(messageBox.shown[0].title, std::string("Wavecrest"));
        } else {
            QCOMPARE(QString::fromStdString(processes.started[0].commandLine), started);
            QCOMPARE(processes.started[0].windowState, 1);
        }
    }

    // A registry file that is no regular file or too large is refused with
    // its reason, without waiting or filling the memory, and System Info
    // shows its one message; a missing file is an empty registry.
    void refusedRegistryFiles_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("reason"); // empty: read as empty
        QTest::newRow("missing") << "missing.reg"
                                 << "";
        QTest::newRow("FIFO") << "fifo.reg"
                              << "is not a regular file";
        QTest::newRow("over 16 MB") << "large.reg"
                                    << "is larger than 16 MB";
    }
    void refusedRegistryFiles() {
        QFETCH(QString, file);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QVERIFY(mkfifo(dir.filePath("fifo.reg").toLocal8Bit(), 0600) == 0);
        QFile large(dir.filePath("large.reg"));
        QVERIFY(large.open(QIODevice::WriteOnly) && large.write("REGEDIT4\r\n") > 0 &&
                large.resize(kRegistryFileLimit + 1));
        RegFileRegistry registry(QDir(dir.path()).filePath(file).toStdString());
        RegKey key = 0;
        try {
            QCOMPARE(registry.OpenKey(kHKeyLocalMachine, "SOFTWARE", 0, kKeyRead, &key),
                     kErrorFileNotFound);
            QVERIFY(reason.isEmpty());
        } catch (const Failure& failure) {
            QVERIFY2(!reason.isEmpty() && QString(failure.what()).endsWith(reason), failure.what());
        }
        FakeFileSystem fileSystem;
        FakeProcessStarter processes;
        FakeMsgBox messageBox;
        dialogs::StartSysInfo(registry, fileSystem, processes, messageBox);
        QVERIFY(processes.attempts.empty());
        QCOMPARE(messageBox.shown.size(), 1u);
    }

private:
    QTemporaryDir dir_;
};

QTEST_GUILESS_MAIN(TestSysInfo)
#include "tst_sysinfo.moc"
