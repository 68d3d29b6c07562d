#include "WebDownloads.h"

#include "platform/MsgBox.h"
#include "platform/Services.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>

namespace platform {

WebDownloads::WebDownloads(WebDialogs& dialogs, QWebEngineProfile* profile) : dialogs_(dialogs) {
    connect(profile, &QWebEngineProfile::downloadRequested, this,
            [this](QWebEngineDownloadRequest* download) { start(download); });
}

QString WebDownloads::PartialName(const QString& target) {
    return target + QStringLiteral(".part");
}

void WebDownloads::start(QWebEngineDownloadRequest* download) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    const QString target =
        dialogs_.ChooseSaveFile(QDir(folder).filePath(download->downloadFileName()));
    if (target.isEmpty()) {
        download->cancel(); // nothing is written
        return;
    }
    const QFileInfo partial(PartialName(target));
    download->setDownloadDirectory(partial.absolutePath());
    download->setDownloadFileName(partial.fileName());
    connect(download, &QWebEngineDownloadRequest::receivedBytesChanged, this,
            [this, download, target] {
                dialogs_.ShowDownloadProgress(target, download->receivedBytes(),
                                              download->totalBytes());
            });
    connect(download, &QWebEngineDownloadRequest::isFinishedChanged, this,
            [this, download, target] { finish(download, target); });
    download->accept();
}

void WebDownloads::finish(QWebEngineDownloadRequest* download, const QString& target) {
    dialogs_.EndDownloadProgress(target);
    // The engine may have changed the name to avoid a file already there.
    const QString written = QDir(download->downloadDirectory()).filePath(download->downloadFileName());
    const bool complete = download->state() == QWebEngineDownloadRequest::DownloadCompleted;
    // The user agreed to replace the target when choosing it.
    const bool saved = complete && (!QFile::exists(target) || QFile::remove(target)) &&
                       QFile::rename(written, target);
    if (!saved)
        QFile::remove(written);
    const QString name = QFileInfo(target).fileName();
    const QString text =
        saved ? QStringLiteral("%1 has been downloaded to %2.").arg(name, QDir::toNativeSeparators(target))
              : QStringLiteral("%1 could not be downloaded: %2")
                    .arg(name, complete ? QStringLiteral("the file could not be saved.")
                                        : download->interruptReasonString());
    services().messageBox->Show(text.toStdString(), saved ? kMbIconInformation : kMbIconError);
}

} // namespace platform
