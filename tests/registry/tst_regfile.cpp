// The registry export file format as the registry stand-in reads it.
#include <QtTest>
#include <fstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "RegFileText.h"
#include "core/RegFile.h"
#include "system/posix/RegFileRegistry.h"

using namespace platform;

namespace {

const QString kKeyLine = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test]\r\n";
const std::string kKey = "SOFTWARE\\Test";

struct Read {
    bool opened = false;
    long status = -1;
    std::uint32_t type = 0;
    QByteArray data;
};

Read ReadValue(const std::string& file, const std::string& key, const std::string& name) {
    RegFileRegistry registry(file);
    RegKey handle = 0;
    Read read;
    read.status = registry.OpenKey(kHKeyLocalMachine, key, 0, kKeyRead, &handle);
    if (read.status != kErrorSuccess)
        return read;
    read.opened = true;
    std::vector<unsigned char> buffer(4096);
    std::uint32_t size = static_cast<std::uint32_t>(buffer.size());
    read.status = registry.QueryValue(handle, name, &read.type, buffer.data(), &size);
    if (read.status == kErrorSuccess)
        read.data = QByteArray(reinterpret_cast<const char*>(buffer.data()), size);
    registry.CloseKey(handle);
    return read;
}

bool KeyExists(const std::string& file, const std::string& key) {
    return ReadValue(file, key, "").opened;
}

QByteArray Sz(const char* text) {
    return QByteArray(text, int(qstrlen(text)) + 1);
}

} // namespace

class TestRegFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { QVERIFY(dir_.isValid()); }

    // A line under the test key, read from the 8-bit and the UTF-16 file:
    // what the system's own import turns apart, or unescapes, is checked here.
    void values_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("name");
        QTest::addColumn<uint>("type");
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("text keeps its terminating zero")
            << "\"PATH\"=\"C:\\\\Tools\\\\msinfo32.exe\""
            << "PATH" << 1u << Sz("C:\\Tools\\msinfo32.exe");
        QTest::newRow("escaped quote; other escapes stay as written")
            << "\"Q\"=\"say \\\"hi\\\" a\\nb\""
            << "Q" << 1u << Sz("say \"hi\" a\\nb");
        QTest::newRow("non-ASCII text comes back as UTF-8")
            << QString::fromUtf8("\"U\"=\"Grüße €\"") << "U" << 1u << Sz("Grüße €");
        // The rest of the format (defaults, escaped names, dwords, hex bytes of
        // every type, continuation lines) is held against the system's own
        // import of the same files under Wine: tests/windows/regcorpus.
    }
    void values() {
        QFETCH(QString, line);
        QFETCH(QString, name);
        QFETCH(uint, type);
        QFETCH(QByteArray, data);
        for (auto format : {RegFormat::Regedit4, RegFormat::Unicode5}) {
            const auto file = WriteRegFile(dir_, kKeyLine + line + "\r\n", format);
            const Read read = ReadValue(file, kKey, name.toStdString());
            QCOMPARE(read.status, kErrorSuccess);
            QCOMPARE(read.type, type);
            QCOMPARE(read.data, data);
        }
    }

    void keysIgnoreLetterCaseAndCreateTheirParents() {
        const auto file = WriteRegFile(dir_, "[hkey_local_machine\\Software\\Vendor\\Tool]\r\n"
                                             "\"Name\"=\"x\"\r\n"
                                             "; \"Hidden\"=\"comment\"\r\n"
                                             "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VENDOR\\TOOL\\]\r\n"
                                             "\"Other\"=\"y\"\r\n");
        QCOMPARE(ReadValue(file, "SOFTWARE\\vendor\\tool", "NAME").data, Sz("x"));
        QCOMPARE(ReadValue(file, "software\\Vendor\\Tool", "other").data, Sz("y"));
        QCOMPARE(ReadValue(file, "SOFTWARE\\Vendor\\Tool", "Hidden").status, kErrorFileNotFound);
        QVERIFY(KeyExists(file, "SOFTWARE\\Vendor"));
        QVERIFY(KeyExists(file, ""));
        QVERIFY(!KeyExists(file, "SOFTWARE\\Vend"));
    }

    // A key as deep as the file is long costs memory and time in proportion
    // to the file: a child process reads it with 256 MB of address space more
    // than it holds, and 20 s.
    void deepKeyStaysWithinMemoryAndTime() {
        const std::string deepKey = "SOFTWARE" + QString("\\k").repeated(30000).toStdString();
        const QString keyLine = "[HKEY_LOCAL_MACHINE\\" + QString::fromStdString(deepKey) + "]";
        const auto file = WriteRegFile(dir_, keyLine + "\r\n\"X\"=\"1\"\r\n");
        const pid_t child = fork();
        if (child == 0) {
            std::ifstream statm("/proc/self/statm");
            std::uint64_t pages = 0;
            statm >> pages;
            const rlim_t bound = pages * sysconf(_SC_PAGESIZE) + (256u << 20);
            const rlimit limit{bound, bound};
            setrlimit(RLIMIT_AS, &limit);
            alarm(20);
            try {
                _exit(ReadValue(file, deepKey, "X").data == Sz("1") ? 0 : 1);
            } catch (...) { // out of memory
                _exit(2);
            }
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY2(WIFEXITED(status) && !WEXITSTATUS(status), "the deep key was not read in bounds");
    }

    // A deleted key takes the keys below it; a value deleted with "=-" goes,
    // and a key added again after its deletion holds only its new values.
    void deletions() {
        const auto file = WriteRegFile(dir_, "[HKEY_LOCAL_MACHINE\\A\\B]\r\n\"v\"=\"1\"\r\n"
                                             "[HKEY_LOCAL_MACHINE\\A\\B\\C]\r\n"
                                             "[HKEY_LOCAL_MACHINE\\A\\BB]\r\n"
                                             "\"gone\"=\"1\"\r\n\"kept\"=\"1\"\r\n"
                                             "\"GONE\"=-\r\n"
                                             "[-HKEY_LOCAL_MACHINE\\a\\b]\r\n"
                                             "[HKEY_LOCAL_MACHINE\\A\\D]\r\n\"v\"=\"1\"\r\n"
                                             "[-HKEY_LOCAL_MACHINE\\A\\D]\r\n"
                                             "[HKEY_LOCAL_MACHINE\\A\\D]\r\n\"w\"=\"2\"\r\n");
        QVERIFY(!KeyExists(file, "A\\B\\C"));
        QVERIFY(KeyExists(file, "A"));
        QCOMPARE(ReadValue(file, "A\\BB", "gone").status, kErrorFileNotFound);
        QCOMPARE(ReadValue(file, "A\\BB", "kept").status, kErrorSuccess);
        QCOMPARE(ReadValue(file, "A\\D", "v").status, kErrorFileNotFound);
        QCOMPARE(ReadValue(file, "A\\D", "w").status, kErrorSuccess);
    }

    // A bad value line is skipped and the good line after it still counts;
    // after a key line that names no key, values belong nowhere.
    void malformedLinesAreSkipped_data() {
        QTest::addColumn<QString>("bad");
        QTest::newRow("unterminated text") << "\"X\"=\"abc";
        QTest::newRow("junk after text") << "\"X\"=\"abc\" junk";
        QTest::newRow("no equals sign") << "\"X\" \"abc\"";
        QTest::newRow("nine dword digits") << "\"X\"=dword:000000001";
        QTest::newRow("byte not hex") << "\"X\"=hex:0g";
        QTest::newRow("unknown data") << "\"X\"=str:\"abc\"";
        QTest::newRow("abbreviated root") << "[HKLM\\SOFTWARE\\Test]";
        QTest::newRow("other root") << "[HKEY_CURRENT_USER\\SOFTWARE\\Test]";
        QTest::newRow("no closing bracket") << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Test";
        QTest::newRow("empty brackets") << "[]";
    }
    void malformedLinesAreSkipped() {
        QFETCH(QString, bad);
        for (auto format : {RegFormat::Regedit4, RegFormat::Unicode5}) {
            const auto file =
                WriteRegFile(dir_, kKeyLine + bad + "\r\n\"Good\"=\"ok\"\r\n", format);
            QCOMPARE(ReadValue(file, kKey, "X").status, kErrorFileNotFound);
            QCOMPARE(ReadValue(file, kKey, "Good").status == kErrorSuccess, !bad.startsWith('['));
        }
    }

private:
    QTemporaryDir dir_;
};

QTEST_GUILESS_MAIN(TestRegFile)
#include "tst_regfile.moc"
