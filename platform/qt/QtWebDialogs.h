#pragma once
// The web panes' dialogs as Qt widgets.
#include "WebDialogs.h"

#include <QHash>
#include <QPointer>

class QProgressDialog;

namespace platform {

class QtWebDialogs : public WebDialogs {
public:
    QString ChooseSaveFile(const QString& suggested) override;
    bool AskLogin(const QString& site, const QString& realm, QString& user,
                  QString& password) override;
    void ShowDownloadProgress(const QString& file, qint64 received, qint64 total) override;
    void EndDownloadProgress(const QString& file) override;

private:
    QHash<QString, QPointer<QProgressDialog>> progress_; // one small window per download
};

} // namespace platform
