// Our command-line FTP client against real and misbehaving FTP servers on
// 127.0.0.1: the installed script, logins, prompts, transfer types, failures,
// the transcript and the notice, run as ftp.exe runs a user's script.
#include <QRandomGenerator>
#include <QStringConverter>
#include <QTemporaryFile>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "FtpServerFixture.h"
#include "ftp/Client.h"
#include "send_window/SendNotice.h"

namespace {

QByteArray RandomBytes(int size) {
    QByteArray bytes(size, '\0');
    QRandomGenerator generator(static_cast<quint32>(size));
    for (auto& byte : bytes)
        byte = static_cast<char>(generator.bounded(256));
    return bytes;
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

// The script as installed beside the program, pointed at the test server.
QString InstalledScriptFor(const FtpServerFixture& server, const QString& folder = {}) {
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
void Stage(const QString& root, const QStringList& entries) {
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

// One run of the client as ftp.exe runs it without a window, in a child of
// this test under umask 027 with at most 256 MB of data, ended at a bound
// below the client's own 60 s reply timeout: what reached standard output
// and its desktop notice. `whileRunning` is shown the output so far and the child.
struct BoundedRun {
    int exitCode = -1; // -1: ended at the bound
    QString output, notice;
};
constexpr rlim_t kMemoryBound = 256 << 20;
using WhileRunning = std::function<void(const QString& output, pid_t client)>;

BoundedRun RunBounded(const QString& folder, const QStringList& arguments,
                      const WhileRunning& whileRunning = {}) {
    QTemporaryFile output; // the client's output, a form feed, its notice
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
        const std::string notice = "\f" + shown.title + "\n\n" + shown.body;
        ::_exit(::write(1, notice.data(), notice.size()) >= 0 ? status : 126);
    }
    BoundedRun run;
    int status = 0;
    QElapsedTimer clock;
    clock.start();
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (clock.elapsed() > 50000)
            ::kill(child, SIGKILL);
        QFile soFar(output.fileName());
        if (whileRunning && soFar.open(QIODevice::ReadOnly))
            whileRunning(QString::fromUtf8(soFar.readAll()), child);
        QTest::qSleep(20);
    }
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    output.seek(0);
    const QStringList parts = QString::fromUtf8(output.readAll()).split('\f');
    run.output = parts.first();
    run.notice = parts.value(1);
    return run;
}

} // namespace

class FtpClientTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir app_; // the application folder: script and temp/

    BoundedRun RunScript(const QString& script, const WhileRunning& whileRunning = {}) {
        WriteFile(app_.filePath("script.ftps"), script.toUtf8());
        return RunBounded(app_.path(), {"-s:script.ftps"}, whileRunning);
    }

private Q_SLOTS:
    void init() {
        QDir(app_.filePath("temp")).removeRecursively();
        QDir(app_.path()).mkpath("temp");
    }

    // The installed script sends every staged MP3, whatever the letter case
    // of its extension, and nothing else, into the remote folder a build
    // names; the bytes arrive unchanged, though Finish! empties the staging
    // folder as soon as the client connected to a slow server.
    void installedScriptSendsStagedSongs() {
        const QString remoteFolder = "songs";
        FtpServerFixture server(FtpServerFixture::Peer::Throttle);
        QVERIFY(server.port() > 0 && QDir(server.home()).mkdir(remoteFolder));
        const QMap<QString, int> songs{
            {"one.mp3", 3 * 1024 * 1024 + 17}, {"Two Words.MP3", 40000}, {"three.Mp3", 0}};
        for (auto song = songs.begin(); song != songs.end(); ++song)
            WriteFile(app_.filePath("temp/" + song.key()), RandomBytes(song.value()));
        WriteFile(app_.filePath("temp/notes.txt"), "not a song");

        const QString script = InstalledScriptFor(server, remoteFolder);
        QVERIFY(!script.isEmpty());
        const BoundedRun run = RunScript(script, [this](const QString& said, pid_t) {
            if (said.contains("Connected to"))
                for (const QString& name : QDir(app_.filePath("temp")).entryList(QDir::Files))
                    QFile::remove(app_.filePath("temp/" + name));
        });

        QVERIFY2(run.exitCode == 0, qPrintable(run.output));
        QVERIFY2(run.notice.startsWith("3 songs sent"), qPrintable(run.notice));
        const QString prefix = remoteFolder + "/";
        for (auto song = songs.begin(); song != songs.end(); ++song) {
            QVERIFY(run.notice.contains(song.key()));
            QCOMPARE(server.remoteFile(prefix + song.key()), RandomBytes(song.value()));
            QVERIFY(run.output.contains(
                QRegularExpression(QString("ftp: %1 bytes sent in \\d+\\.\\d\\dSeconds "
                                           "\\d+\\.\\d\\dKbytes/sec\\.")
                                       .arg(song.value()))));
        }
        QVERIFY(server.remoteFile(prefix + "notes.txt").isEmpty());
        QVERIFY(run.output.contains("ftp> mput temp/*.mp3"));
        QVERIFY(!run.output.contains(FtpServerFixture::kPassword));
    }

    // Scripts as a user's road, against a real server or one that misbehaves
    // on purpose (rogue_server.py), saved as odd editors save them: where the
    // songs land, the local files, the status, what reached standard output
    // and the notice. %L stands for the login lines; the password must never
    // show. A failed command is reported and the script goes on. No run may
    // take more than 256 MB or wait past the client's own timeouts.
    void scripts_data() {
        QTest::addColumn<FtpServerFixture::Peer>("peer");
        QTest::addColumn<QString>("fault"); // the rogue server's
        QTest::addColumn<QStringList>("switches");
        QTest::addColumn<QString>("notice");           // a part of it
        QTest::addColumn<QString>("heard");            // "VERB=times" the rogue server heard it
        QTest::addColumn<QStringList>("staged");       // see Stage
        QTest::addColumn<QStringList>("remoteBefore"); // "path=content"
        // "@path": that file; "UTF-16LE:" or "UTF-16BE:" before the text: so encoded
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("remoteAfter"); // the whole server tree
        QTest::addColumn<QStringList>("localAfter");  // in FileTree with modes; "!path": none
        QTest::addColumn<QString>("said");
        using Peer = FtpServerFixture::Peer;
        auto row = [](const char* name, const QStringList& switches = {},
                      Peer peer = Peer::Plain) -> QTestData& {
            return QTest::newRow(name) << peer << QString() << switches << QString() << QString();
        };
        auto rogue = [](const char* name, const QString& fault, const QString& notice,
                        const QString& heard) -> QTestData& {
            return QTest::newRow(name) << Peer::Rogue << fault << QStringList{} << notice << heard;
        };
        const QStringList none, two{"temp/a.mp3=A", "temp/b.mp3=B"}, sentTwo{"a.mp3=A", "b.mp3=B"};
        const QStringList sentA{"a.mp3=A"}, lines{"temp/l.txt=a\nb\r\nc"};
        row("missing remote folder") << two << none << "%L\ncd nowhere\nmput temp/*\n"
                                     << 1 << sentTwo << none << "550 ";
        row("unknown and refused commands, pasv harmless")
            << two << none << "%L\nliteral XYZZY\nquote pasv\nfrobnicate\nmput temp/*\n"
            << 1 << sentTwo << none << "Invalid command.";
        row("backslash is part of a found name")
            << QStringList{"temp/a\\s.mp3=1", "temp/b\\s.mp3=2"} << none << "%L\nmput temp\\*.mp3\n"
            << 0 << QStringList{"a\\s.mp3=1", "b\\s.mp3=2"} << none << "ftp> mput temp\\*.mp3";
        row("control character fails alone")
            << QStringList{"temp/a\tb.mp3=T", "temp/c\nd.mp3=N", "temp/e.mp3=E"} << none
            << "%L\nmput temp/*.mp3\n"
            << 1 << QStringList{"e.mp3=E"} << none
            << "ftp: temp/a\\tb.mp3 was not sent: the name holds a control character";
        row("hidden and temporary files stay")
            << QStringList{"temp/.s.mp3=H", "temp/.x.mp3.partQ1w2e3", "temp/s.mp3=S"} << none
            << "%L\nmput temp/*.mp3\n"
            << 0 << QStringList{"s.mp3=S"} << none << "";
        row("missing folder") << two << none << "%L\nmput nowhere/*.mp3\nmput temp/a.mp3\n"
                              << 1 << sentA << none << "cannot read the folder";
        row("bad port") << two << none << "open 127.0.0.1 99999\n%U\n%P\nmput temp/*\n"
                        << 1 << none << none << "Invalid port";
        row("no host") << two << none << "open\n\n%U\n%P\nmput temp/*\n"
                       << 1 << none << none << "Usage: open";
        row("already connected") << two << none << "%L\nopen 127.0.0.1 %1\n%U\n%P\nmput temp/*\n"
                                 << 1 << sentTwo << none << "Already connected";
        row("debug masks any case of PASS", {"-d"})
            << two << none << "%L\nquo pAsS %P\nput temp/a.mp3\n"
            << 1 << sentA << none << "---> PASS ****";
        row("prefixes") << two << none
                        << "%L\nasc\nbin\nha\nquo NOOP\nlit NOOP\nmput temp/*\ndi\ndisc\n"
                        << 1 << sentTwo << none << "Ambiguous command.";
        row("arguments on the next lines")
            << two << none
            << "%L\nput\ntemp/a.mp3\nx.mp3\nrename\nx.mp3\ny.mp3\nappend\ntemp/b.mp3\ny.mp3\n"
            << 0 << QStringList{"y.mp3=AB"} << none << "From name x.mp3";
        row("get, recv and mget")
            << none << QStringList{"r/1.mp3=1", "r/2.mp3=2", "r/3.txt=3"}
            << "%L\nbinary\nget r/1.mp3\nrecv r/2.mp3 temp\\b.mp3\nmget r/*.mp3\nget nothere.mp3\n"
            << 1 << QStringList{"r/1.mp3=1", "r/2.mp3=2", "r/3.txt=3"}
            << QStringList{"1.mp3=1", "2.mp3=2", "temp/b.mp3=2"}
            << "ftp: nothere.mp3 was not received";
        row("remote housekeeping")
            << none << QStringList{"d/x=1", "d/y=2", "e/z=3", "f=4"}
            << "%L\nmdelete d/*\nrmdir d\ndelete f\nmkdir g\nls e e.txt\ndir . all.txt\n"
               "mls e d x.txt\nremotehelp\nstatus\nbell\ntrace\nglob\n"
            << 1 << QStringList{"e/z=3"} << QStringList{"e.txt=z\n"} << "Connected to 127.0.0.1.";
        row("-n with quote USER and PASS", {"-n"})
            << two << none
            << "open 127.0.0.1 %1\nquote USER %U\nquote PASS %P\nprompt\nmput temp/*\n"
            << 0 << sentTwo << none << "230 ";
        row("-g takes wildcards literally", {"-g"})
            << two << none << "%L\nmput temp/*.mp3\n"
            << 1 << none << none << "temp/*.mp3: File not found";
        row("passive refused: active mode", {}, Peer::RefusePassive)
            << two << QStringList{"r.mp3=R"} << "%L\nmput temp/*\nget r.mp3 temp/r.mp3\n"
            << 0 << QStringList{"a.mp3=A", "b.mp3=B", "r.mp3=R"} << QStringList{"temp/r.mp3=R"}
            << "using active mode";
        row("TLS asked, plain server")
            << two << none << "tls\n%L\nmput temp/*\n"
            << 1 << none << none << "does not offer TLS; nothing was sent";
        row("TLS server: login and commands", {}, Peer::Tls)
            << none << QStringList{"f=1"} << "tls %C\n%L\nrename f g\n"
            << 0 << QStringList{"g=1"} << none << "230 ";
        row("TLS server: unknown certificate", {}, Peer::Tls)
            << none << QStringList{"f=1"} << "tls\n%L\nrename f g\n"
            << 1 << QStringList{"f=1"} << none << "ftp: connect:";
        row("user asks for the password, -n -d", {"-n", "-d"})
            << two << none << "open 127.0.0.1 %1\nuser %U\n%P\nput temp/a.mp3\n"
            << 0 << sentA << none << "---> PASS ****";
        row("refused password") << two << none << "open 127.0.0.1 %1\n%U\nx%P\nput temp/a.mp3\n"
                                << 1 << none << none << "Login failed.";
        row("prompt answers from the script")
            << two << none << "%L\nprompt\nmput temp/*\nn\ny\n"
            << 0 << QStringList{"b.mp3=B"} << none << "mput temp/a.mp3? n";
        row("ascii by default") << lines << none << "%L\nput temp\\l.txt\n"
                                << 0 << QStringList{"l.txt=a\nb\nc"} << none << "ftp: 7 bytes sent";
        row("type image") << lines << none << "%L\ntype image\nput temp\\l.txt\n"
                          << 0 << QStringList{"l.txt=a\nb\r\nc"} << none << "ftp: 6 bytes sent";
        row("no local commands") << two << none << "%L\n!rm -r temp\nmput temp/*\n"
                                 << 1 << sentTwo << none << "not run by this client";
        const QStringList songs{"temp/a.mp3=A", "temp/b.mp3=B", "temp/c.mp3=C"};
        const QStringList sent{"a.mp3=A", "b.mp3=B", "c.mp3=C"};
        const QString put = "%L\nput temp/a.mp3\n", oneSong = "1 song sent to the show";
        const QStringList inSub{"sub/a.txt=got", "sub/t.txt=sub", "t.txt=top"};
        // clang-format off
        rogue("UTF-8 mark (Notepad)", "", oneSong, "") << songs << none
            << QChar(0xFEFF) + put << 0 << sentA << none << "ftp> put";
        rogue("UTF-16LE", "", oneSong, "") << songs << none << "UTF-16LE:\uFEFF" + put
            << 0 << sentA << none << "ftp> put";
        rogue("UTF-16BE", "", oneSong, "") << songs << none << "UTF-16BE:\uFEFF" + put
            << 0 << sentA << none << "ftp> put";
        rogue("endless script line", "", "Command line too long", "") << songs << none << "@/dev/zero"
            << 1 << none << none << "Command line too long";
        rogue("dropped after a song's data: own reconnect into cd", "drop", "Not sent: a.mp3\nSent: b.mp3, c.mp3", "USER=2") << songs
            << QStringList{"sub/k=k"} << "%L\ncd sub\nmput temp/*.mp3\n" << 1
            << QStringList{"sub/a.mp3=A", "sub/b.mp3=B", "sub/c.mp3=C", "sub/k=k"} << none
            << "Reconnecting to 127.0.0.1.";
        rogue("dropped halfway: the rest appended", "drop-half", "1 song sent", "STOR=1")
            << QStringList{"temp/b.mp3=" + QString(300000, 'b')} << none
            << "%L\nbinary\nput temp/b.mp3\n" << 0 << QStringList{"b.mp3=" + QString(300000, 'b')}
            << none << "Resuming b.mp3 after";
        rogue("dropped get, then ascii: no silent login", "drop", "a.txt was not received", "USER=2") << none << inSub
            << "%L\ncd sub\nget a.txt\nascii\nget t.txt\n" << 1 << inSub
            << QStringList{"t.txt=sub", "!a.txt"} << "Reconnecting";
        rogue("dropped listing: the same reconnect", "drop", "Failure when receiving data", "USER=2") << none << inSub
            << "%L\ncd sub\nls\nget t.txt\n" << 1 << inSub << QStringList{"t.txt=sub"}
            << "Reconnecting";
        rogue("endless listing", "endless", "listing passed", "") << none << none
            << "%L\nmget *.mp3\n" << 1 << none << none
            << "listing passed 8 MB; it is not used";
        rogue("a 5 MB name", "long-name", "over 1024 bytes", "") << none << none << "%L\nmget *.mp3\n"
            << 1 << none << none << "over 1024 bytes long";
        rogue("CR inside a listed name", "cr-name", "control character", "") << none
            << QStringList{"good.mp3=G", "name.mp3=N"} << "%L\nmget *.mp3\n" << 1
            << QStringList{"good.mp3=G", "name.mp3=N"} << QStringList{"good.mp3=G", "!name.mp3"}
            << "not taken: evil\\rname.mp3";
        rogue("short ASCII download: old file kept", "short", "t.txt was not received", "") << QStringList{"t.txt=old"}
            << QStringList{"t.txt=" + QString(1000, 't')} << "%L\nget t.txt\n" << 1
            << QStringList{"t.txt=" + QString(1000, 't')} << QStringList{"t.txt=old"}
            << "sent 100 of the 1000 bytes";
        rogue("modes: new by the umask, replaced kept", "", "No songs sent", "") << QStringList{"o.txt=old@664"}
            << QStringList{"n.txt=N", "o.txt=O"} << "%L\nget n.txt\nget o.txt\n" << 0
            << QStringList{"n.txt=N", "o.txt=O"} << QStringList{"n.txt@640", "o.txt=O", "o.txt@664"}
            << "";
        rogue("221 but the line kept open: one QUIT", "quit-hang", oneSong, "QUIT=1") << songs << none
            << put + "bye\n" << 0 << sentA << none << "221 Goodbye.";
        rogue("EPSV refused, a file missing", "no-epsv", "temp/gone.mp3: File not found", "") << songs << none
            << "%L\nmput temp/*.mp3\nput temp/gone.mp3\n" << 1 << sent << none
            << "500 'EPSV'";
        rogue("lock file a planted link", "", oneSong, "") << QStringList{"temp/a.mp3=A",
            "temp/.ftp-send.lock->../victim"} << none << "%L\nmput temp/*.mp3\n" << 0
            << sentA << QStringList{"!victim"} << "the lock file is a link";
        // clang-format on
    }
    void scripts() {
        QFETCH(FtpServerFixture::Peer, peer);
        QFETCH(QString, fault);
        QFETCH(QStringList, switches);
        QFETCH(QString, notice);
        QFETCH(QString, heard);
        QFETCH(QStringList, staged);
        QFETCH(QStringList, remoteBefore);
        QFETCH(QString, script);
        QFETCH(int, exitCode);
        QFETCH(QStringList, remoteAfter);
        QFETCH(QStringList, localAfter);
        QFETCH(QString, said);
        FtpServerFixture ftpServer(peer, fault);
        QTemporaryDir app;
        QVERIFY(QDir(app.path()).mkdir("temp"));
        Stage(app.path(), staged);
        Stage(ftpServer.home(), remoteBefore);
        script.replace("%L", "open 127.0.0.1 %1\n%U\n%P\nprompt")
            .replace("%1", QString::number(ftpServer.port()))
            .replace("%C", ftpServer.certificate())
            .replace("%U", FtpServerFixture::kUser)
            .replace("%P", FtpServerFixture::kPassword);
        const qsizetype colon = script.indexOf(':');
        const auto encoding = QStringConverter::encodingForName(script.left(colon).toLatin1());
        const QString text = script.mid(encoding ? colon + 1 : 0) + "bye\n";
        WriteFile(app.filePath("script.ftps"),
                  encoding ? QByteArray(QStringEncoder(*encoding)(text)) : text.toUtf8());

        const QString scriptFile = script.startsWith('@') ? script.mid(1) : "script.ftps";
        const BoundedRun run = RunBounded(app.path(), switches << "-s:" + scriptFile);

        QVERIFY2(run.exitCode == exitCode, qPrintable(run.output));
        QVERIFY2(run.output.contains(said), qPrintable(run.output));
        QVERIFY2(run.notice.contains(notice), qPrintable(run.notice));
        for (const QString& secret :
             {QString("ftp> ") + FtpServerFixture::kUser, QString(FtpServerFixture::kPassword)})
            QVERIFY2(!run.output.contains(secret), qPrintable(run.output));
        QCOMPARE(ftpServer.tree(), remoteAfter);
        const QStringList local = FileTree(app.path(), true);
        for (const QString& fact : localAfter) {
            const QRegularExpression any("^" + QRegularExpression::escape(fact.mid(1)) + "[=@]");
            QVERIFY2(fact.startsWith('!') ? local.filter(any).isEmpty() : local.contains(fact),
                     qPrintable(local.join(", ")));
        }
        QVERIFY(FileTree(app.path()).filter(".part").size() == staged.filter(".part").size());
        if (!heard.isEmpty())
            QCOMPARE(ftpServer.heard(heard.section('=', 0, 0)), heard.section('=', 1).toInt());
    }

    // Two clients sending from one staging folder take turns: the second
    // waits, and says so, while the first (host as argument, commands on
    // standard input) is still at its mput question, and goes on as soon as
    // that mput ends, though the first sits at its prompt.
    void clientsOfOneFolderTakeTurns() {
        FtpServerFixture server;
        WriteFile(app_.filePath("temp/a.mp3"), "A");
        QProcess first;
        first.setWorkingDirectory(app_.path());
        first.start(qEnvironmentVariable("WAVECREST_BIN") + "/ftp.exe",
                    {"127.0.0.1", QString::number(server.port())});
        first.write(QString("%1\n%2\nmput temp/*.mp3\n")
                        .arg(FtpServerFixture::kUser, FtpServerFixture::kPassword)
                        .toUtf8());
        QString asked;
        QTRY_VERIFY_WITH_TIMEOUT((asked += first.readAll()).contains("mput temp/a.mp3?"), 30000);
        QProcess second;
        second.setWorkingDirectory(app_.path());
        second.setProcessChannelMode(QProcess::MergedChannels);
        WriteFile(app_.filePath("second.ftps"), InstalledScriptFor(server).toUtf8());
        second.start(qEnvironmentVariable("WAVECREST_BIN") + "/ftp.exe", {"-s:second.ftps"});
        QString said;
        QTRY_VERIFY_WITH_TIMEOUT((said += second.readAll()).contains("Waiting for another"), 30000);
        QVERIFY(server.tree().isEmpty());
        first.write("n\n");
        QVERIFY(first.waitForBytesWritten(10000) && second.waitForFinished(60000));
        QCOMPARE(second.exitCode(), 0);
        QVERIFY((said + second.readAll()).contains(QRegularExpression("Waited \\d+ s for temp")));
        QCOMPARE(server.remoteFile("a.mp3"), QByteArray("A"));
        first.write("bye\n");
        first.closeWriteChannel();
        QVERIFY(first.waitForFinished(60000));
    }

    // Ctrl+C (what the window's Cancel does) stops the send at once: the
    // song cut off is removed from the server, the notice tells the rest.
    void cancelStopsTheSend() {
        FtpServerFixture server(FtpServerFixture::Peer::Throttle);
        for (const char song : {'a', 'b', 'c'})
            WriteFile(app_.filePath(QString("temp/%1.mp3").arg(song)),
                      QByteArray(song == 'b' ? 3 << 20 : 1, song));
        const auto cancelOnceBArrives = [&](const QString&, pid_t client) {
            if (QFileInfo(server.home() + "/b.mp3").size() > 0)
                ::kill(client, SIGINT);
        };
        const BoundedRun run = RunScript(InstalledScriptFor(server), cancelOnceBArrives);
        QVERIFY2(run.exitCode == 1, qPrintable(run.output));
        QCOMPARE(server.tree(), QStringList{"a.mp3=a"});
        QVERIFY2(run.notice.contains("Sending cancelled by the user.\nStopped: b.mp3\n"
                                     "Not sent: c.mp3\nSent: a.mp3"),
                 qPrintable(run.notice));
    }

    void scriptThatCannotBeReadFails() {
        for (const QString path : {"nothere.ftps", "temp"}) {
            const BoundedRun run = RunBounded(app_.path(), {"-s:" + path});
            QCOMPARE(run.exitCode, 1);
            QVERIFY(run.output.contains("Error opening script file " + path + "."));
        }
    }
};

QTEST_GUILESS_MAIN(FtpClientTest)
#include "tst_ftpclient.moc"
