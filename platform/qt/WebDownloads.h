#pragma once
// Downloads the panes' pages start: saved where the user chooses, under a
// temporary name beside the target until complete, so no half file ever
// carries the real name.
#include "WebDialogs.h"

#include <QObject>

class QWebEngineDownloadRequest;
class QWebEngineProfile;

namespace platform {

class WebDownloads : public QObject {
public:
    WebDownloads(WebDialogs& dialogs, QWebEngineProfile* profile);

    // Where a download is written until it is complete.
    static QString PartialName(const QString& target);

private:
    void start(QWebEngineDownloadRequest* download);
    void finish(QWebEngineDownloadRequest* download, const QString& target);
    WebDialogs& dialogs_;
};

} // namespace platform
