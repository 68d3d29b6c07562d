#pragma once
// Answers what a page asks of its browser, as a careful desktop browser
// would, without ever holding up the window:
// - new windows: a click on an http or https link opens it in the user's
//   default browser; a mailto: address is asked about first; every other
//   address is refused with a short message; pop-ups of the page's own are
//   dropped. Same-window links and typed addresses for other programs alike.
// - script boxes (alert, confirm, prompt, leave-page questions) stand over
//   their pane only; from a site's second box on, the box lets the user stop
//   that site's boxes, which then get a browser's answers. An alert's box
//   holds nothing up (a page's further alerts while it shows are dropped);
//   a question holds its page, and the engine with it, until it is answered.
// - logins: one box per site and realm at a time, its answer used by every
//   request waiting on it; Cancel cancels them all; a wrong answer is asked
//   again at most twice for a page load.
// - permissions are asked of the user; downloads follow the user's click
//   (WebDownloads); a bad certificate is never accepted.
#include "PanePage.h"
#include "WebDialogs.h"
#include "WebDownloads.h"

#include <QHash>
#include <QObject>
#include <QWebEnginePage>
#include <memory>

class QAuthenticator;
class QWebEngineNewWindowRequest;

namespace platform {

class WebPageAnswers : public QObject {
public:
    WebPageAnswers(WebDialogs& dialogs, QWebEngineProfile* profile);
    ~WebPageAnswers() override;
    // Answers for `page` from now on.
    void Serve(PanePage* page);

    // A page's script box, answered by the user or as a browser answers for
    // a page the user stopped.
    PageDialogAnswer AskForPage(PanePage* page, PageDialog::Kind kind, const QUrl& origin,
                                const QString& message, const QString& text);
    // An address that the engine does not show itself: asked about (mailto:)
    // or refused with a message when the user asked for it, else dropped.
    void OpenElsewhere(const QUrl& address, bool byUser);
    // The pane goes elsewhere: the boxes still shown over it close.
    void PaneMovesOn(PanePage* page);

    // Schemes the engine shows in the pane itself, never handing them to
    // another program (http, https, about, data, file, ...).
    static bool EngineShowsItself(const QUrl& address);
    // The text the engine asks its leave-page question with.
    static bool IsLeaveQuestion(const QString& message);
    // The message that refuses an address for another program.
    static QString RefusalText(const QUrl& address);
    // How many times a login is asked for a site and realm in one page load.
    static constexpr int kLoginAsks = 3;

private:
    struct Login;
    void openNewWindow(const QWebEngineNewWindowRequest& request);
    void logIn(PanePage* page, const QUrl& address, const QString& site,
               QAuthenticator* authenticator);
    void pageLoadStarts(QWebEnginePage* page);
    void answerPermission(QWebEnginePage* page, const QUrl& origin,
                          QWebEnginePage::Feature feature);

    WebDialogs& dialogs_;
    WebDownloads downloads_;
    // The user's answers, per site and permission, for as long as the program runs.
    QHash<QString, bool> permissions_;
    // Per site and realm: the login asked and its answer.
    QHash<QString, std::shared_ptr<Login>> logins_;
    bool askingElsewhere_ = false; // a question or refusal is on its way
};

} // namespace platform
