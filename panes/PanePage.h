#pragma once
// The page of a pane: its script boxes go to its PageBoxes, its logins to
// its PageLogins, addresses for other programs to WebPageAnswers; and it
// knows whether the user has just used it (a click or a key in the pane),
// which is what lets a download or another program start.
#include "PageAsking.h"

#include <QElapsedTimer>
#include <QWebEnginePage>
#include <functional>

class QAuthenticator;

namespace platform {

class PageBoxes;
class PageLogins;
class WebPageAnswers;

class PanePage : public QWebEnginePage {
public:
    PanePage(QWebEngineProfile* profile, WebPageAnswers& answers, QWidget* pane);

    QWidget* pane() const { return pane_; }

    // The user clicked or typed in the pane.
    void NoteUserInput();
    // The user gave the pane an address: loading it is the user's own
    // action, but not what the page there does by itself.
    void NoteUserAddress(const QUrl& address);
    // True once for each such input of the last few seconds: a page's
    // request that needs the user's own action takes it. A request for the
    // address the user gave counts as the user's too.
    bool TakeUserGesture(const QUrl& address = {});
    // The user sent the pane to `address` (empty: its page again, as
    // Refresh does): the page's boxes and logins end, and the pages it
    // shows start afresh with theirs.
    void UserNavigated(const QUrl& address = {});
    // The user stopped the pane: the page it shows stays, and may ask again.
    void UserStopped();

    // A login a request asks for, `site` being who asks (the site or its proxy).
    void LogIn(const QUrl& address, const QString& site, QAuthenticator* authenticator);

    PageBoxes& boxes() const { return *boxes_; }
    PageLogins& logins() const { return *logins_; }

    // Called when the user chose to stay on a page that asked before being
    // left: the navigation that asked has ended there.
    std::function<void()> onStay;
    // Called when our own script in the page notes that its media changed.
    std::function<void()> onMediaChange;

    // How long a click or key counts as the user's own action.
    static constexpr int kGestureMs = 5000;

protected:
    void javaScriptAlert(const QUrl& securityOrigin, const QString& msg) override;
    bool javaScriptConfirm(const QUrl& securityOrigin, const QString& msg) override;
    bool javaScriptPrompt(const QUrl& securityOrigin, const QString& msg,
                          const QString& defaultValue, QString* result) override;
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int lineNumber, const QString& sourceID) override;

private:
    void leave(bool userMovedOn, const QUrl& arriving);
    bool fromPageLeft(const QUrl& address) const;

    WebPageAnswers& answers_;
    QWidget* pane_;
    PageAsking asking_; // what the page and its frames asked, together
    PageBoxes* boxes_;
    PageLogins* logins_;
    // From leaving a page until the next one's document is made, the page
    // left asks nothing, and only the next page's own address may ask for
    // a login; until it has loaded, only its own site. (The engine reports
    // no load start for a load that replaces one still running: the
    // document tells.)
    bool leaving_ = false;
    QUrl arriving_;
    QString leftSite_; // the site of the page left, while the pane shows another
    QElapsedTimer lastInput_;
    bool gestureTaken_ = true;
    QUrl userAddress_;
    QElapsedTimer userAddressGiven_;
};

} // namespace platform
