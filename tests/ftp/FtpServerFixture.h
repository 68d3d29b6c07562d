#pragma once
// An FTP server for one test, pyftpdlib or one that misbehaves on purpose,
// on 127.0.0.1 and a free port, one user with a temporary home. Stopped when
// the fixture goes; it also ends by itself after a few minutes.
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/stat.h>

// A file's content as a test compares it: the bytes of a short one, the
// sha256 of any other.
inline QString ContentShown(const QByteArray& content) {
    if (content.size() <= 64)
        return QString::fromUtf8(content);
    return "sha256:" + QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex();
}

// "path=content" entries with their contents as ContentShown shows them.
inline QStringList ContentsShown(const QStringList& entries) {
    QStringList shown;
    for (const QString& entry : entries)
        shown << (entry.contains('=') ? entry.section('=', 0, 0) + "=" +
                                            ContentShown(entry.section('=', 1).toUtf8())
                                      : entry);
    return shown;
}

// Every file below `root` as "path=content" (ContentShown), with `modes`
// also as "path@mode" (octal).
inline QStringList FileTree(const QString& root, bool modes = false) {
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        file.open(QIODevice::ReadOnly);
        const QString name = QDir(root).relativeFilePath(file.fileName());
        files << name + "=" + ContentShown(file.readAll());
        struct stat info {};
        if (modes && ::stat(QFile::encodeName(file.fileName()), &info) == 0)
            files << name + "@" + QString::number(info.st_mode & 0777, 8);
    }
    files.sort();
    return files;
}

class FtpServerFixture {
public:
    static constexpr const char* kUser = "tester";
    static constexpr const char* kPassword = "Pw-9f3kq7Zt";

    enum class Peer {
        Plain,         // a well-behaved server
        RefusePassive, // PASV and EPSV are refused
        Tls,           // TLS required
        Throttle,      // uploads taken at 1 MB/s
        Rogue,         // the misbehaving server of rogue_server.py, with `fault`
        Frozen,        // silent for good after the first megabyte of the first STOR
    };

    explicit FtpServerFixture(Peer peer = Peer::Plain, const QString& fault = {}) {
        switch (peer) {
        case Peer::Rogue:
            Start("rogue_server.py", {"--fault", fault, "--log", spare_.filePath("log")});
            break;
        case Peer::Frozen:
            Start("frozen_server.py", {});
            break;
        case Peer::Throttle:
            Start("ftp_server.py", {"--throttle", "1000000"});
            break;
        case Peer::Tls:
            Start("ftp_server.py", {"--tls-cert", certificate()});
            break;
        case Peer::RefusePassive:
            Start("ftp_server.py", {"--refuse-passive"});
            break;
        case Peer::Plain:
            Start("ftp_server.py", {});
            break;
        }
    }
    ~FtpServerFixture() {
        server_.kill();
        server_.waitForFinished(5000);
    }

    int port() const { return port_; }
    QString home() const { return home_.path(); }
    QString certificate() const { return spare_.filePath("server.pem"); }
    QByteArray remoteFile(const QString& name) const {
        QFile file(home_.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // Every file under the home as "path=content", sorted.
    QStringList tree() const { return FileTree(home_.path()); }
    // Stops the server where it is, as a machine that froze.
    void Freeze() { ::kill(static_cast<pid_t>(server_.processId()), SIGSTOP); }
    // How often the misbehaving server heard a command.
    int heard(const QString& verb) const {
        QFile log(spare_.filePath("log"));
        return log.open(QIODevice::ReadOnly) ? log.readAll().split('\n').count(verb.toUtf8()) : 0;
    }

private:
    void Start(const QString& script, const QStringList& options) {
        const QString source = qEnvironmentVariable("WAVECREST_TEST_SOURCE");
        const QStringList arguments{source + "/tests/ftp/" + script,
                                    "--home",
                                    home_.path(),
                                    "--user",
                                    kUser,
                                    "--password",
                                    kPassword,
                                    "--lifetime",
                                    "240"};
        server_.setStandardErrorFile(QProcess::nullDevice());
        server_.start("/usr/bin/python3", arguments + options);
        QElapsedTimer timer;
        timer.start();
        while (port_ == 0 && timer.elapsed() < 15000 && server_.state() != QProcess::NotRunning) {
            server_.waitForReadyRead(200);
            const QByteArray line = server_.readLine().trimmed();
            if (line.startsWith("PORT "))
                port_ = line.mid(5).toInt();
        }
    }

    QTemporaryDir home_, spare_; // spare: the certificate or the log
    QProcess server_;
    int port_ = 0;
};
