#pragma once
// Runs of the FTP client as ftp.exe runs a user's script, for the client's
// tests: staged files, the installed script, a bounded run in a child.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QTest>
#include <fcntl.h>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "FtpServerFixture.h"
#include "ftp/Client.h"
#include "send_window/SendNotice.h"

inline QByteArray RandomBytes(int size) {
    QByteArray bytes(size, '\0');
    QRandomGenerator generator(static_cast<quint32>(size));
    for (auto& byte : bytes)
        byte = static_cast<char>(generator.bounded(256));
    return bytes;
}

inline void WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

// The script as installed beside the program, pointed at the test server.
inline QString InstalledScriptFor(const FtpServerFixture& server, const QString& folder = {}) {
    QFile installed(qEnvironmentVariable("WAVECREST_BIN") + "/sendfiles.ftps");
    if (!installed.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(installed.readAll()).split('\n');
    lines[0] = QString("open 127.0.0.1 %1").arg(server.port());
    lines[1] = FtpServerFixture::kUser;
    lines[2] = FtpServerFixture::kPassword;
    if (!folder.isEmpty())
        lines.insert(lines.indexOf("prompt") + 1, "cd " + folder);
    return lines.join('\n');
}

// Writes "path=content", "path=content@mode" (octal) or "path->link target".
inline void Stage(const QString& root, const QStringList& entries) {
    for (const auto& entry : entries) {
        const QString path = root + "/" + entry.section(QRegularExpression("=|->"), 0, 0);
        const QString content = entry.section('=', 1);
        if (entry.contains("->"))
            QVERIFY(QFile::link(entry.section("->", 1), path));
        else
            WriteFile(path, content.section('@', 0, 0).toUtf8());
        const uint mode = content.section('@', 1).toUInt(nullptr, 8);
        QVERIFY(!content.contains('@') || ::chmod(QFile::encodeName(path), mode) == 0);
    }
}

// The record of a send as the notice reads it, one line per list that holds names.
inline std::string OutcomeLines(const ftp::Transcript& transcript, bool succeeded) {
    const auto outcome = ftp::ReadSendOutcome(transcript, succeeded);
    std::string lines = outcome.cancelled ? "cancelled\n" : "";
    const std::pair<const char*, const std::vector<std::string>*> lists[] = {
        {"part left", &outcome.partLeft},
        {"already sent", &outcome.alreadySent},
        {"left out", &outcome.leftOut}};
    for (const auto& [title, names] : lists)
        for (const auto& name : *names)
            lines += std::string(title) + ": " + name + "\n";
    return lines;
}

// One run of the client as ftp.exe runs it without a window, in a child of
// this test under umask 027 with at most 256 MB of data, ended at a bound
// below the client's own 60 s reply timeout: what reached standard output,
// its desktop notice and its record. `cancelWhen` is shown the output so
// far: true sends the client Ctrl+C (once), and the run says how long the
// client took to end after it.
struct BoundedRun {
    int exitCode = -1; // -1: ended at the bound
    QString output, notice;
    qint64 msAfterCancel = -1;
};
constexpr rlim_t kMemoryBound = 256 << 20;
using CancelWhen = std::function<bool(const QString& output)>;

inline BoundedRun RunBounded(const QString& folder, const QStringList& arguments,
                             const CancelWhen& cancelWhen = {}) {
    QTemporaryFile output; // the client's output, a form feed, its notice and record
    if (!output.open())
        return {};
    std::vector<std::string> words;
    for (const auto& argument : arguments)
        words.push_back(argument.toStdString());
    const QByteArray where = QFile::encodeName(folder);
    const pid_t child = ::fork();
    if (child == 0) {
        const rlimit memory{kMemoryBound, kMemoryBound};
        ::setrlimit(RLIMIT_DATA, &memory);
        ::umask(027);
        ::dup2(::open("/dev/null", O_RDONLY), 0);
        ::dup2(output.handle(), 1);
        ::dup2(output.handle(), 2);
        if (::chdir(where.constData()) != 0)
            ::_exit(125);
        ftp::Transcript transcript;
        const int status = ftp::RunClient(words, transcript);
        const auto shown = ftp::SendNoticeFor(transcript, status == 0);
        const std::string notice =
            "\f" + shown.title + "\n\n" + shown.body + "\n" + OutcomeLines(transcript, status == 0);
        ::_exit(::write(1, notice.data(), notice.size()) >= 0 ? status : 126);
    }
    BoundedRun run;
    int status = 0;
    QElapsedTimer clock, sinceCancel;
    clock.start();
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (clock.elapsed() > 50000)
            ::kill(child, SIGKILL);
        QFile soFar(output.fileName());
        if (cancelWhen && !sinceCancel.isValid() && soFar.open(QIODevice::ReadOnly) &&
            cancelWhen(QString::fromUtf8(soFar.readAll()))) {
            ::kill(child, SIGINT);
            sinceCancel.start();
        }
        QTest::qSleep(10);
    }
    run.msAfterCancel = sinceCancel.isValid() ? sinceCancel.elapsed() : -1;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    output.seek(0);
    const QStringList parts = QString::fromUtf8(output.readAll()).split('\f');
    run.output = parts.first();
    run.notice = parts.value(1);
    return run;
}
