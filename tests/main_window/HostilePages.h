#pragma once
// The hostile pages the hostile pages test serves: links to other
// programs, boxes without end, downloads that storm, stall or climb out
// of their folder, logins without end, and a player whose clock ticks.
#include "support/SlowHttpServer.h"

#include <QByteArray>

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
