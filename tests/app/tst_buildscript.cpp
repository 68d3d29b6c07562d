// scripts/build.sh on a checkout that was moved or copied after its first
// build: it configures a fresh build folder and says so in one line.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A checkout that holds build.sh and a project with nothing to build.
void makeCheckout(const QString& root) {
    QVERIFY(QDir().mkpath(root + "/scripts"));
    const QString script = qEnvironmentVariable("WAVECREST_TEST_SOURCE") + "/scripts/build.sh";
    QVERIFY(QFile::copy(script, root + "/scripts/build.sh"));
    QFile project(root + "/CMakeLists.txt");
    QVERIFY(project.open(QIODevice::WriteOnly));
    project.write("cmake_minimum_required(VERSION 3.16)\nproject(checkout NONE)\n");
}

struct Run {
    int status;
    QString said;
};

Run build(const QString& root) {
    QProcess process;
    // The checkout's own build folder, never the one the suite runs from.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("WAVECREST_BUILD_DIR");
    process.setProcessEnvironment(environment);
    process.start("bash", {root + "/scripts/build.sh"});
    process.waitForFinished(60000);
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed()};
}

} // namespace

class TestBuildScript : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void secondBuild_data() {
        QTest::addColumn<QString>("change"); // what happens to the checkout after its first build
        QTest::addColumn<QString>("said");   // what the second build says before building
        QTest::newRow("left in place") << ""
                                       << "";
        QTest::newRow("moved") << "move"
                               << "build.sh: %1/build was configured for %2; configuring it afresh "
                                  "for %1.";
        QTest::newRow("copied") << "copy"
                                << "build.sh: %1/build was configured for %2; configuring it "
                                   "afresh for %1.";
    }

    void secondBuild() {
        QFETCH(QString, change);
        QFETCH(QString, said);
        QTemporaryDir place;
        const QString first = place.filePath("first");
        makeCheckout(first);
        QCOMPARE(build(first).status, 0);
        QString second = first;
        if (!change.isEmpty()) {
            second = place.filePath("second");
            const QStringList command =
                change == "move" ? QStringList{"mv"} : QStringList{"cp", "-r"};
            QCOMPARE(QProcess::execute(command[0], command.mid(1) << first << second), 0);
        }
        const Run again = build(second);
        QCOMPARE(again.status, 0);
        QCOMPARE(again.said.section('\n', 0, 0), said.isEmpty() ? "" : said.arg(second, first));
    }
};

QTEST_GUILESS_MAIN(TestBuildScript)
#include "tst_buildscript.moc"
