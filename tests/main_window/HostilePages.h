#pragma once
// The hostile pages the hostile pages test serves: links to other
// programs, boxes without end, downloads that storm, stall or climb out
// of their folder, logins without end, and a player whose clock ticks.
#include "support/SlowHttpServer.h"

#include <QByteArray>
#include <QUrl>

// A page whose first thing is a large link the user can click.
inline QByteArray linkPage(const QByteArray& href, bool newWindow, const QByteArray& more = {}) {
    return "<a id=go href=\"" + href + "\"" + (newWindow ? " target=_blank" : "") +
           " style=\"display:block;width:400px;height:80px;background:#ddd\">go</a>" + more;
}

// The login rows' sites are sites of their own: the engine keeps an answer
// that worked for the rest of the run. `realms` asks a login of its own
// for each of 300 requests.
inline void AddHostilePages(SlowHttpServer& server, SlowHttpServer (&loginSites)[3],
                            SlowHttpServer& realms, const QByteArray& song) {
    const QByteArray gif =
        QByteArray::fromBase64("R0lGODlhAQABAAAAACH5BAEKAAEALAAAAAABAAEAAAICTAEAOw==");
    server.addPage("/clock", {"Player", 0,
                              "<script>let n = 0; setInterval(() => document.title = "
                              "'tick ' + (++n), 200)</script>"});
    server.addPage("/room", {"Chat room", 0, linkPage("/other", false)});
    server.addPage("/other", {"Other room"});
    server.addPage("/song.mp3",
                   {"", 0, song, "Content-Disposition: attachment; filename=song.mp3\r\n"});
    // Other programs.
    server.addPage("/ssh", {"Ssh link", 0, linkPage("ssh://user@host/", false)});
    server.addPage("/steam", {"Steam link", 0, linkPage("steam://run/12345", true)});
    server.addPage("/vnd", {"Vnd link", 0, linkPage("vnd.ms-x:foo", false)});
    server.addPage(
        "/mail", {"Mail link", 0, linkPage("mailto:x@y?attach=/etc/passwd&amp;body=hello", false)});
    server.addPage("/mailnew", {"Mail link", 0, linkPage("mailto:dj@station.example", true)});
    server.addPage("/web", {"Web link", 0, linkPage("/other", true)});
    server.addPage("/file", {"File link", 0, linkPage("file:///etc/passwd", true)});
    server.addPage("/sneaky", {"Sneaky", 0,
                               "<iframe src=\"steam://run/1\"></iframe><script>"
                               "setTimeout(() => location = 'ssh://user@host/', 300);"
                               "window.open('vnd.ms-x:foo'); window.open('mailto:x@y')</script>"});
    // Boxes.
    server.addPage("/alerts", {"Alert loop", 0,
                               "<script>let n = 0; setInterval(() => { alert('On air now');"
                               "document.title = 'alerts ' + (++n) }, 100)</script>"});
    server.addPage("/nagging", {"Nagging", 0, "<script>while (true) confirm('Stay?')</script>"});
    server.addPage("/questions", {"Questions", 0,
                                  "<script>const r = [];"
                                  "for (let i = 0; i < 4; ++i) r.push(confirm('Sure?'));"
                                  "r.push(prompt('Your name?', 'dj'));"
                                  "document.title = JSON.stringify(r)</script>"});
    server.addPage("/leave", {"Leave page", 0,
                              linkPage("#", false,
                                       "<script>onbeforeunload = e => {"
                                       "e.preventDefault(); e.returnValue = 'stay' }"
                                       "</script>")});
    // Downloads.
    server.addPage("/storm", {"Storm", 0,
                              linkPage("/song.mp3", false,
                                       "<script>setInterval(() => "
                                       "document.getElementById('go').click(), 300)</script>")});
    server.addPage("/cutpage", {"Cut", 0, linkPage("/cut.bin", false)});
    server.addPage("/cut.bin", {"",
                                0,
                                QByteArray(500000, 'c'),
                                "Content-Disposition: attachment; filename=cut.bin\r\n",
                                {},
                                100000});
    server.addPage("/stallpage", {"Stall", 0, linkPage("/stall.bin", false)});
    server.addPage("/stall.bin", {"",
                                  0,
                                  QByteArray(1000000, 's'),
                                  "Content-Disposition: attachment; filename=stall.bin\r\n",
                                  {},
                                  100000,
                                  true});
    server.addPage("/hidden", {"Hidden", 0,
                               "<a id=go href=\"/other\" download=\"../../../root/.bashrc\""
                               " style=\"display:block;width:400px;height:80px\">go</a>"});
    server.addPage("/dotfile", {"Dot file", 0, linkPage("/dot.txt", false)});
    server.addPage("/dot.txt",
                   {"", 0, "alias ls=rm", "Content-Disposition: attachment; filename=.bashrc\r\n"});
    // Logins.
    QByteArray gallery = "<p id=count></p><script>let shown = 0, failed = 0;"
                         "function count() { document.title = shown + ' shown, ' + failed + "
                         "' failed' }</script>";
    for (int i = 0; i < 20; ++i)
        gallery += "<img src=\"/private/img.gif?" + QByteArray::number(i) +
                   "\" onload=\"shown++; count()\" onerror=\"failed++; count()\">";
    for (SlowHttpServer& site : loginSites) {
        site.addPage("/gallery", {"Gallery", 0, gallery});
        site.addPage("/private/img.gif", {"", 0, gif, "Content-Type: image/gif\r\n", "dj:onair"});
    }

    // Permissions.
    server.addPage("/notify", {"Ask", 0,
                               "<script>Notification.requestPermission()"
                               ".then(answer => document.title = answer)</script>"});
    // 300 requests, each refused with a realm of its own.
    realms.addPage("/realms", {"Realms", 0,
                               "<script>for (let i = 0; i < 300; ++i)"
                               " new Image().src = '/auth/' + i</script>"});
    for (int i = 0; i < 300; ++i) {
        SlowHttpServer::Page refused{"", 0, {}, {}, "dj:onair"};
        refused.realm = "realm " + QByteArray::number(i);
        realms.addPage("/auth/" + QString::number(i), refused);
    }
}

// A frame's script that asks for the microphone and tells its page the answer.
inline QByteArray micAsker() {
    return "<script>navigator.mediaDevices.getUserMedia({audio: true}).then("
           "() => parent.postMessage('allowed', '*'), e => parent.postMessage(e.name, '*'))"
           "</script>";
}

// Pages made of frames, each frame from a site of its own (`frameSites`):
// frames that loop alerts, frames behind a login (added by script once the
// page has loaded) and frames that ask for the
// microphone (allowed to ask by their page). A page counts its frames'
// answers in its title.
inline void AddFramePages(SlowHttpServer& server, SlowHttpServer (&frameSites)[60]) {
    const QByteArray countAnswers = "<script>const answers = {}; onmessage = e => {"
                                    "answers[e.data] = (answers[e.data] || 0) + 1;"
                                    "document.title = JSON.stringify(answers) }</script>";
    QByteArray nagging, asking, locked;
    for (int i = 0; i < 60; ++i) {
        SlowHttpServer& site = frameSites[i];
        site.addPage("/nag", {"Frame", 0,
                              "<script>setInterval(() => alert('Frame " + QByteArray::number(i) +
                                  "'), 150)</script>"});
        site.addPage("/mic", {"Frame", 0, micAsker()});
        SlowHttpServer::Page lockedFrame{"Frame", 0, {}, {}, "dj:onair"};
        lockedFrame.realm = "frame " + QByteArray::number(i);
        site.addPage("/locked", lockedFrame);
        const QByteArray frame =
            "<iframe width=40 height=30 allow=\"microphone\" src=\"" + site.address("").toUtf8();
        nagging += frame + "/nag\"></iframe>";
        asking += frame + "/mic\"></iframe>";
        locked += frame + "/locked\"></iframe>";
    }
    const QByteArray addLater = "<div id=later></div><script>onload = () => setTimeout(() => "
                                "document.getElementById('later').innerHTML = '" +
                                locked + "', 300)</script>";
    server.addPage("/frames", {"Frames", 0, nagging + addLater});
    server.addPage("/loginframes", {"Login frames", 0, addLater});
    server.addPage("/askingframes", {"Asking frames", 0, countAnswers + asking});
    server.addPage("/micframe", {"Mic frame", 0, countAnswers + "<iframe src=\"/mic\"></iframe>"});
    server.addPage("/mic", {"Frame", 0, micAsker()});
}

// Downloads whose names a page chose to mislead or to overflow the file
// system: a direction override that hides ".desktop", and names of 252 and
// 300 bytes (the longest in two-byte letters). `/longstall` stalls.
inline void AddDownloadNamePages(SlowHttpServer& server, const QByteArray& song) {
    const auto named = [&](const QByteArray& path, const QByteArray& name, bool stall = false) {
        server.addPage(path + "page", {"Download", 0, linkPage(path, false)});
        const QByteArray header = "Content-Disposition: attachment; filename*=UTF-8''" +
                                  QUrl::toPercentEncoding(QString::fromUtf8(name)) + "\r\n";
        server.addPage(path, {"", 0, song, header, {}, stall ? 1000 : -1, stall});
    };
    named("/override", "song\u202e3pm.desktop");
    named("/long252", QByteArray(248, 'a') + ".mp3");
    named("/long300", QByteArray(148, 'a') + QString(74, QChar(0xe9)).toUtf8() + ".mp3");
    named("/longstall", QByteArray(296, 'b') + ".mp3", true);
}
