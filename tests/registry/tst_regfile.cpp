// The registry export file format as the registry stand-in reads it.
#include <QtTest>
#include <fstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "RegFileText.h"
#include "platform/RegFile.h"
#include "platform/posix/RegFileRegistry.h"

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

QByteArray Bytes(std::initializer_list<int> bytes) {
    QByteArray result;
    for (int b : bytes)
        result.append(static_cast<char>(b));
    return result;
}

QByteArray Sz(const char* text) {
    return QByteArray(text, int(qstrlen(text)) + 1);
}

} // namespace

class TestRegFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { QVERIFY(dir_.isValid()); }

    // A line under the test key, read from the 8-bit and the UTF-16 file
    // (the same body reads the same) or from the one format named.
    void values_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("name");
        QTest::addColumn<uint>("type");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QList<RegFormat>>("formats");
        const QList<RegFormat> both{RegFormat::Regedit4, RegFormat::Unicode5};
        const QList<RegFormat> v4{RegFormat::Regedit4}, v5{RegFormat::Unicode5};
        QTest::newRow("text keeps its terminating zero")
            << "\"PATH\"=\"C:\\\\Tools\\\\msinfo32.exe\"" << "PATH" << 1u
            << Sz("C:\\Tools\\msinfo32.exe") << both;
        QTest::newRow("escaped quote; other escapes stay as written")
            << "\"Q\"=\"say \\\"hi\\\" a\\nb\"" << "Q" << 1u << Sz("say \"hi\" a\\nb") << both;
        QTest::newRow("non-ASCII text comes back as UTF-8")
            << QString::fromUtf8("\"U\"=\"Grüße €\"") << "U" << 1u << Sz("Grüße €") << both;
        QTest::newRow("default value") << "@=\"\"" << "" << 1u << Sz("") << both;
        QTest::newRow("escaped value name, blanks around =")
            << " \"a\\\"b\\\\c\" \t=  \"x\"  ; note" << "a\"b\\c" << 1u << Sz("x") << both;
        QTest::newRow("dword least significant byte first")
            << "\"D\"=dword:00010203" << "D" << 4u << Bytes({3, 2, 1, 0}) << both;
        QTest::newRow("binary over continuation lines")
            << "\"B\"=hex:de,AD, be,\\\r\n  03,\\\r\n\t05" << "B" << 3u
            << Bytes({0xde, 0xad, 0xbe, 3, 5}) << both;
        // Text given as bytes: UTF-16 in version 5 files, ANSI bytes in 8-bit ones.
        QTest::newRow("UTF-16 text without its zero")
            << "\"T\"=hex(1):61,00,62,00" << "T" << 1u << Sz("ab") << v5;
        QTest::newRow("expandable UTF-16 text")
            << "\"T\"=hex(2):25,00,41,00,25,00,00,00" << "T" << 2u << Sz("%A%") << v5;
        QTest::newRow("multi text") << "\"T\"=hex(7):61,00,00,00,62,00,00,00,00,00" << "T" << 7u
                                    << Bytes({'a', 0, 'b', 0, 0}) << v5;
        QTest::newRow("ANSI expandable text")
            << "\"T\"=hex(2):25,41,25,00" << "T" << 2u << Sz("%A%") << v4;
        QTest::newRow("ANSI text without its zero")
            << "\"T\"=hex(1):c3,a9" << "T" << 1u << Sz("é") << v4;
    }
    void values() {
        QFETCH(QString, line);
        QFETCH(QString, name);
        QFETCH(uint, type);
        QFETCH(QByteArray, data);
        QFETCH(QList<RegFormat>, formats);
        for (auto format : formats) {
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
