#pragma once
// Answers what a page asks of its browser, as a careful desktop browser
// would, without ever holding up the window. Each family of requests has
// a class of its own:
// - new windows and addresses for other programs: OtherPrograms;
// - script boxes and permission questions: the page's PageBoxes, standing
//   over its pane (PagePermissions keeps the user's answers);
// - logins: the page's PageLogins;
// - downloads: WebDownloads, following the user's click;
// - a bad certificate is never accepted.
#include "OtherPrograms.h"
#include "PagePermissions.h"
#include "WebDialogs.h"
#include "WebDownloads.h"

#include <QObject>

class QWebEngineProfile;

namespace platform {

class PanePage;

class WebPageAnswers : public QObject {
public:
    WebPageAnswers(WebDialogs& dialogs, QWebEngineProfile* profile);
    ~WebPageAnswers() override;
    // Answers for `page` from now on.
    void Serve(PanePage* page);

    WebDialogs& dialogs() const { return dialogs_; }
    OtherPrograms& otherPrograms() { return otherPrograms_; }

private:
    WebDialogs& dialogs_;
    WebDownloads downloads_;
    OtherPrograms otherPrograms_;
    PagePermissions permissions_;
};

} // namespace platform
