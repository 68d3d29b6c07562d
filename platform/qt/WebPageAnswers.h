#pragma once
// Answers what a page asks of its browser, as a desktop browser would:
// new windows open in the user's default browser, logins and permissions
// are asked of the user, downloads are saved where the user chooses, and a
// bad certificate is never accepted. Nothing of it reaches the windows.
#include "WebDialogs.h"
#include "WebDownloads.h"

#include <QHash>
#include <QObject>
#include <QWebEnginePage>

class QAuthenticator;
class QWebEngineNewWindowRequest;

namespace platform {

class WebPageAnswers : public QObject {
public:
    WebPageAnswers(WebDialogs& dialogs, QWebEngineProfile* profile);
    // Answers for `page` from now on.
    void Serve(QWebEnginePage* page);

private:
    void openNewWindow(const QWebEngineNewWindowRequest& request);
    void logIn(const QUrl& address, QAuthenticator* authenticator);
    void answerPermission(QWebEnginePage* page, const QUrl& origin, QWebEnginePage::Feature feature);

    WebDialogs& dialogs_;
    WebDownloads downloads_;
    // The user's answers, per site and permission, for as long as the program runs.
    QHash<QString, bool> permissions_;
};

} // namespace platform
