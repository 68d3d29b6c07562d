// The real program under a real X server: Menu > About, then Alt+S on
// "&System Info...", starts the program that the registry file names.
#include "support/XvfbDisplay.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

QString program() { return qEnvironmentVariable("WAVECREST_BIN") + "/Wavecrest"; }

// A small tool that leaves a note of how it was started.
QString writeTool(const QString& folder) {
    const QString path = folder + "/system info tool";
    QFile tool(path);
    tool.open(QIODevice::WriteOnly);
    tool.write("#!/bin/sh\necho \"started $WAVECREST_SHOW_WINDOW\" > \"$(dirname \"$0\")/note\"\n");
    tool.close();
    tool.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

// A registry file whose MSINFO "PATH" is the tool, unquoted in spite of its blanks.
QString writeRegistry(const QString& folder, const QString& tool) {
    const QString path = folder + "/test.reg";
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\r\n"
               "\"PATH\"=\"" +
               tool.toUtf8() + "\"\r\n");
    return path;
}

} // namespace

class TestSysInfoClick : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void systemInfoStartsTheRegisteredProgram() {
        XvfbDisplay display;
        REQUIRE_XVFB(display);
        QTemporaryDir folder;
        const QString tool = writeTool(folder.path());
        QProcessEnvironment env = display.environment();
        env.insert("WAVECREST_REGISTRY_FILE", writeRegistry(folder.path(), tool));
        QProcess wavecrest;
        wavecrest.setProcessEnvironment(env);
        wavecrest.start(program(), {});
        const QString mainWindow = display.waitForWindow("."); // whatever its title
        QVERIFY2(!mainWindow.isEmpty(), "no main window appeared");

        // Menu > About: the second item of the first menu.
        display.xdotool({"mousemove", "--window", mainWindow, "20", "8", "click", "1"});
        const QStringList search{"search", "--onlyvisible", "--pid", // its window and the menu's
                                 QString::number(wavecrest.processId())};
        QTRY_VERIFY_WITH_TIMEOUT(display.xdotool(search).trimmed().contains('\n'), 20000);
        display.xdotool({"key", "Down", "Down", "Return"});
        const QString about = display.waitForWindow("^About Wavecrest$");
        QVERIFY2(!about.isEmpty(), "the About window did not open");

        display.xdotool({"windowfocus", "--sync", about});
        display.xdotool({"key", "--window", about, "alt+s"});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(folder.filePath("note")), 10000);
        QFile note(folder.filePath("note"));
        QVERIFY(note.open(QIODevice::ReadOnly));
        QCOMPARE(note.readAll().trimmed(), QByteArray("started 1")); // shown normally
        QVERIFY(display.waitForWindow("^Wavecrest$", 500).isEmpty()); // no failure message

        wavecrest.terminate();
        QVERIFY(wavecrest.waitForFinished(15000));
    }
};

QTEST_GUILESS_MAIN(TestSysInfoClick)
#include "tst_sysinfo_click.moc"
