#pragma once
// What the web panes ask the user on a page's behalf; tests answer with a fake.
#include <QString>
#include <QtGlobal>

namespace platform {

class WebDialogs {
public:
    virtual ~WebDialogs() = default;
    // A save-file dialog opened at `suggested` (folder and name); empty when cancelled.
    virtual QString ChooseSaveFile(const QString& suggested) = 0;
    // Asks for a user name and password for `site`; false when cancelled.
    virtual bool AskLogin(const QString& site, const QString& realm, QString& user,
                          QString& password) = 0;
    // How far a download into `file` has come; `total` is -1 when the server did not say.
    virtual void ShowDownloadProgress(const QString& file, qint64 received, qint64 total) = 0;
    // The download into `file` has ended (complete or failed): its progress goes.
    virtual void EndDownloadProgress(const QString& file) = 0;
};

} // namespace platform
