#pragma once
// Downloads the panes' pages start, each following the user's own click in
// the pane: one Save As at a time, opened in the user's download folder (or
// the home folder), with a name that is a plain file name. The file is
// written under a temporary name beside the target until complete, so no
// half file ever carries the real name, and nothing stays behind when a
// download ends otherwise. A download the server cuts off ends with one
// message saying how much arrived, and is not asked about again (the engine
// restarts such a download by itself once, before it tells: that restart is
// cancelled as soon as it is seen).
#include "WebDialogs.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QUrl>

class QWebEngineDownloadRequest;
class QWebEngineProfile;

namespace platform {

class WebDownloads : public QObject {
public:
    WebDownloads(WebDialogs& dialogs, QWebEngineProfile* profile);
    ~WebDownloads() override;

    // Where a download is written until it is complete.
    static QString PartialName(const QString& target);
    // A name a page suggests, made a plain file name: no folders, no
    // leading dot, no characters that file systems refuse, no invisible
    // marks (direction overrides among them), and short enough that its
    // part file fits the file system while the engine writes it, the
    // extension kept.
    static QString SafeFileName(const QString& suggested);
    // A name as messages and the progress show it: a long one is cut in
    // the middle.
    static QString ShownName(const QString& name);
    // The folder the Save As dialog opens in.
    static QString StartFolder();
    // "120 KB" and the like.
    static QString SizeText(qint64 bytes);

private:
    struct Running;
    void start(QWebEngineDownloadRequest* download);
    void finish(QWebEngineDownloadRequest* download);
    WebDialogs& dialogs_;
    bool choosing_ = false;            // a Save As dialog is open
    QSet<quint32> seen_;               // downloads asked about once already
    QHash<quint32, Running*> running_; // by the engine's download id
};

} // namespace platform
