// Our command-line FTP client against real and misbehaving FTP servers on
// 127.0.0.1: the installed script, logins, prompts, transfer types, failures,
// the transcript and the notice, run as ftp.exe runs a user's script.
#include <QStringConverter>
#include <csignal>
#include <sys/file.h>
#include <sys/stat.h>

#include "ClientRun.h"
#include "FtpServerFixture.h"

namespace {

// When a row's client is sent Ctrl+C (see the cancel column).
CancelWhen CancelAt(const QString& cancel, FtpServerFixture& server) {
    const QString kind = cancel.section(':', 0, 0), value = cancel.section(':', 1);
    if (kind == "said")
        return [value](const QString& output) { return output.contains(value); };
    if (kind.isEmpty())
        return {};
    return [&server, kind, bytes = value.toLongLong()](const QString&) {
        for (QDirIterator it(server.home(), QDir::Files | QDir::Hidden,
                             QDirIterator::Subdirectories);
             it.hasNext();)
            if (QFileInfo(it.next()).size() >= bytes) {
                if (kind == "freeze")
                    server.Freeze();
                return true;
            }
        return false;
    };
}

// The expected entries are equal, or (with "~") match, the actual ones.
void CompareTrees(const QStringList& actual, const QStringList& expected, const QString& said) {
    bool same = actual.size() == expected.size();
    for (qsizetype i = 0; same && i < actual.size(); ++i)
        same = expected[i].startsWith('~')
                   ? QRegularExpression(expected[i].mid(1)).match(actual[i]).hasMatch()
                   : actual[i] == expected[i];
    QVERIFY2(same,
             qPrintable(actual.join(", ") + "\nexpected: " + expected.join(", ") + "\n" + said));
}

} // namespace

class FtpClientTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir app_; // the application folder: script and temp/

    BoundedRun RunScript(const QString& script, const CancelWhen& cancelWhen = {}) {
        WriteFile(app_.filePath("script.ftps"), script.toUtf8());
        return RunBounded(app_.path(), {"-s:script.ftps"}, cancelWhen);
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
        const BoundedRun run = RunScript(script, [this](const QString& said) {
            if (said.contains("Connected to"))
                for (const QString& name : QDir(app_.filePath("temp")).entryList(QDir::Files))
                    QFile::remove(app_.filePath("temp/" + name));
            return false;
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
        QTest::addColumn<QString>("notice"); // a part of it
        QTest::addColumn<QString>("heard");  // "VERB=times" the rogue server heard it
        // Ctrl+C when "said:TEXT" shows, when a file on the server has "size:N"
        // bytes, or then with the server frozen ("freeze:N"); the client must
        // end within 2 s of it.
        QTest::addColumn<QString>("cancel");
        QTest::addColumn<QStringList>("staged");       // see Stage
        QTest::addColumn<QStringList>("remoteBefore"); // "path=content"
        // "@path": that file; "UTF-16LE:" or "UTF-16BE:" before the text: so encoded
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("exitCode");
        // The whole server tree; "~regex" for an entry whose name is the client's choice.
        QTest::addColumn<QStringList>("remoteAfter");
        QTest::addColumn<QStringList>("localAfter"); // in FileTree with modes; "!path": none
        QTest::addColumn<QString>("said");
        using Peer = FtpServerFixture::Peer;
        auto row = [](const char* name, const QStringList& switches = {},
                      Peer peer = Peer::Plain) -> QTestData& {
            return QTest::newRow(name)
                   << peer << QString() << switches << QString() << QString() << QString();
        };
        auto rogue = [](const char* name, const QString& fault, const QString& notice,
                        const QString& heard, const QString& cancel = {}) -> QTestData& {
            return QTest::newRow(name)
                   << Peer::Rogue << fault << QStringList{} << notice << heard << cancel;
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
        row("user with the password on its line, -n -d", {"-n", "-d"})
            << two << none << "open 127.0.0.1 %1\nuser %U %P\nput temp/a.mp3\n"
            << 0 << sentA << none << "---> PASS ****";
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
        rogue("dropped after a text's data: own reconnect into cd, the cut one removed", "drop", "Not sent: a.mp3\nSent: b.mp3, c.mp3", "USER=2") << songs
            << QStringList{"sub/k=k"} << "%L\ncd sub\nmput temp/*.mp3\n" << 1
            << QStringList{"sub/b.mp3=B", "sub/c.mp3=C", "sub/k=k"} << none
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
        const QString ours = QString("ours ").repeated(60000), theirs = QString("theirs ").repeated(150);
        const QString big = QString("big ").repeated(1 << 20), hidden = "\\.%1\\.\\d+\\.sending=";
        rogue("another's file under the name: our song never appended to it", "drop-at-stor", oneSong, "USER=2")
            << QStringList{"temp/song.mp3=" + ours} << QStringList{"song.mp3=" + theirs}
            << "%L\nbinary\nput temp/song.mp3\n" << 0 << QStringList{"song.mp3=" + ours} << none
            << "Sending song.mp3 again from its start.";
        rogue("Ctrl+C after the last byte: replies stay paired, refused DELE told", "late-226", "part left: song.mp3", "DELE=1", "size:300000")
            << QStringList{"temp/song.mp3=" + ours} << none << "%L\nbinary\nput temp/song.mp3\n" << 1
            << QStringList{"~^" + hidden.arg("song\\.mp3") + "sha256:"} << none
            << "550 Delete not permitted.";
        rogue("a replayed cd refused: logged out, the part told", "drop-half-no-cd", "b.mp3: a part was left on the show's server", "USER=2")
            << QStringList{"temp/a.mp3=A", "temp/b.mp3=" + ours} << QStringList{"sub/k=k"}
            << "%L\ncd sub\nbinary\nput temp/b.mp3\nput temp/a.mp3\n" << 1
            << QStringList{"~^sub/" + hidden.arg("b\\.mp3") + "sha256:", "sub/k=k"} << none << "Not connected.";
        rogue("a server frozen mid-song: Ctrl+C ends the send in 2 s", "slow", "part left: big.mp3", "", "freeze:200000")
            << QStringList{"temp/big.mp3=" + big} << none << "%L\nbinary\nput temp/big.mp3\n" << 1
            << QStringList{"~^" + hidden.arg("big\\.mp3")} << none << "Sending cancelled by the user.";
        rogue("Ctrl+C during an append: what was there stays", "slow", "cancelled", "DELE=0", "size:200000")
            << QStringList{"temp/big.mp3=" + big} << QStringList{"y.mp3=" + theirs}
            << "%L\nbinary\nappend temp/big.mp3 y.mp3\n" << 1 << QStringList{"~^y\\.mp3=sha256:"} << none
            << "Sending cancelled by the user.";
        rogue("Ctrl+C while another client holds the folder", "", "cancelled", "STOR=0", "said:Waiting for another")
            << QStringList{"temp/a.mp3=A", "temp/.ftp-send.lock=held"} << none << "%L\nmput temp/*.mp3\n" << 1
            << none << QStringList{"temp/a.mp3=A"} << "Sending cancelled by the user.";
        rogue("a second send: only the songs not sent since staged", "", "Already sent since staged, not sent again: a.mp3", "STOR=2") << two << none
            << "%L\nmput temp/*.mp3\nmput temp/*.mp3\n" << 0 << sentTwo << none
            << "temp/a.mp3 was sent since it was staged; not sent again.";
        rogue("a staged file that is no MP3 is named", "", "Not sent, only .mp3 files go to the show: song.wav", "STOR=1")
            << QStringList{"temp/a.mp3=A", "temp/song.wav=W"} << none << "%L\nmput temp/*.mp3\n" << 0
            << sentA << none << "temp/song.wav is not sent";
        rogue("a server without rename: the song under its own name, said", "no-rename", oneSong, "STOR=2")
            << QStringList{"temp/song.mp3=" + ours} << none << "%L\nbinary\nput temp/song.mp3\n" << 0
            << QStringList{"song.mp3=" + ours} << none << "does not rename files";
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
        QFETCH(QString, cancel);
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
        QFile lock(app.filePath("temp/.ftp-send.lock")); // "=held": another client holds it
        QVERIFY(!staged.contains("temp/.ftp-send.lock=held") ||
                (lock.open(QIODevice::ReadOnly) && ::flock(lock.handle(), LOCK_EX) == 0));
        const BoundedRun run =
            RunBounded(app.path(), switches << "-s:" + scriptFile, CancelAt(cancel, ftpServer));

        QVERIFY2(run.exitCode == exitCode, qPrintable(run.output));
        QVERIFY2(run.output.contains(said), qPrintable(run.output));
        QVERIFY2(run.notice.contains(notice), qPrintable(run.notice));
        for (const QString& secret :
             {QString("ftp> ") + FtpServerFixture::kUser, QString(FtpServerFixture::kPassword)})
            QVERIFY2(!run.output.contains(secret), qPrintable(run.output));
        QVERIFY2(cancel.isEmpty() || (run.msAfterCancel >= 0 && run.msAfterCancel < 2000),
                 qPrintable(QString("ended %1 ms after Ctrl+C").arg(run.msAfterCancel)));
        CompareTrees(ftpServer.tree(), ContentsShown(remoteAfter), run.output);
        const QStringList local = FileTree(app.path(), true);
        for (const QString& fact : ContentsShown(localAfter)) {
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

    // Ctrl+C (what the window's Cancel does) stops the send within 2 s: the
    // song cut off is removed from the server, the notice tells the rest.
    void cancelStopsTheSend() {
        FtpServerFixture server(FtpServerFixture::Peer::Throttle);
        for (const char song : {'a', 'b', 'c'})
            WriteFile(app_.filePath(QString("temp/%1.mp3").arg(song)),
                      QByteArray(song == 'b' ? 3 << 20 : 1, song));
        const BoundedRun run = RunScript(InstalledScriptFor(server), CancelAt("size:2", server));
        QVERIFY2(run.exitCode == 1, qPrintable(run.output));
        QVERIFY2(run.msAfterCancel >= 0 && run.msAfterCancel < 2000,
                 qPrintable(QString::number(run.msAfterCancel)));
        QCOMPARE(server.tree(), QStringList{"a.mp3=a"});
        QVERIFY2(run.notice.contains("Sending the songs to the show cancelled\n\nStopped: b.mp3\n"
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
