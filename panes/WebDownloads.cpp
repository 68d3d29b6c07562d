#include "WebDownloads.h"

#include "PanePage.h"
#include "core/MsgBox.h"
#include "core/Services.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QStandardPaths>
#include <QTimer>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>

namespace platform {

struct WebDownloads::Running {
    QWebEngineDownloadRequest* download;
    QString target;
    qint64 arrived = 0;
    qint64 total = -1;
    bool cancelledByUser = false;
    bool ended = false;
};

WebDownloads::WebDownloads(WebDialogs& dialogs, QWebEngineProfile* profile) : dialogs_(dialogs) {
    connect(profile, &QWebEngineProfile::downloadRequested, this,
            [this](QWebEngineDownloadRequest* download) { start(download); });
}

WebDownloads::~WebDownloads() = default;

namespace {
const QString kPartSuffix = QStringLiteral(".part");
// What the engine adds to the part file's name while it writes it.
const QStringList kEngineSuffixes{QStringLiteral(".download"), QStringLiteral(".crdownload")};
// What file systems take for a name, in bytes (UTF-8; Windows counts
// UTF-16 units, never more).
constexpr int kMaxNameBytes = 255;
constexpr qsizetype kLongestExtension = 16;
constexpr qsizetype kLongestShownName = 60;
constexpr qsizetype kLongestRead = 4096; // of a name a page suggests

// The longest start of `text` that takes at most `maxBytes` bytes of
// UTF-8, cut between characters.
QString leadingBytes(const QString& text, int maxBytes) {
    int used = 0;
    qsizetype end = 0;
    while (end < text.size()) {
        const char16_t unit = text[end].unicode();
        const bool pair =
            QChar::isHighSurrogate(unit) && end + 1 < text.size() && text[end + 1].isLowSurrogate();
        const int bytes = pair ? 4 : unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3;
        if (used + bytes > maxBytes)
            break;
        used += bytes;
        end += pair ? 2 : 1;
    }
    return text.left(end);
}

// Without what a name must not hold: control characters, those Windows
// refuses, and invisible format marks that can show a name other than it is.
QString plainCharacters(const QString& name) {
    QList<char32_t> kept;
    for (char32_t c : name.left(kLongestRead).toUcs4()) {
        if (QChar::category(c) == QChar::Other_Format)
            continue;
        if (c < 0x20 || c == 0x7f || (c < 0x80 && QByteArrayView("<>:\"|?*").contains(char(c))))
            c = U'_';
        kept << c;
    }
    return QString::fromUcs4(kept.constData(), kept.size());
}

// `name` cut, its extension kept, so that with the part file's ending and
// the engine's it still fits the file system.
QString fitBesideItsPart(const QString& name) {
    int endings = int(kPartSuffix.size());
    for (const QString& suffix : kEngineSuffixes)
        endings = std::max(endings, int(kPartSuffix.size() + suffix.size()));
    const int maxBytes = kMaxNameBytes - endings;
    if (name.toUtf8().size() <= maxBytes)
        return name;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString extension =
        dot > 0 && name.size() - dot <= kLongestExtension ? name.mid(dot) : QString();
    const QString stem = name.left(name.size() - extension.size());
    return leadingBytes(stem, maxBytes - int(extension.toUtf8().size())) + extension;
}
} // namespace

QString WebDownloads::PartialName(const QString& target) {
    const QFileInfo file(target);
    return QDir(file.path()).filePath(fitBesideItsPart(file.fileName()) + kPartSuffix);
}

QString WebDownloads::ShownName(const QString& name) {
    if (name.size() <= kLongestShownName)
        return name;
    const qsizetype half = kLongestShownName / 2 - 1;
    QString start = name.left(half);
    QString end = name.right(half);
    if (start.back().isHighSurrogate()) // never half a character
        start.chop(1);
    if (end.front().isLowSurrogate())
        end.remove(0, 1);
    return start + QChar(0x2026) + end;
}

QString WebDownloads::SafeFileName(const QString& suggested) {
    QString name =
        plainCharacters(suggested.section(QLatin1Char('/'), -1).section(QLatin1Char('\\'), -1));
    // No hidden file, and nothing that Windows drops at the end.
    while (!name.isEmpty() && (name.front() == QLatin1Char('.') || name.front().isSpace()))
        name.remove(0, 1);
    while (!name.isEmpty() && (name.back() == QLatin1Char('.') || name.back().isSpace()))
        name.chop(1);
    return name.isEmpty() ? QStringLiteral("download") : fitBesideItsPart(name);
}

QString WebDownloads::StartFolder() {
    const QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (!downloads.isEmpty() && QFileInfo(downloads).isDir())
        return downloads;
    return QDir::homePath();
}

QString WebDownloads::SizeText(qint64 bytes) {
    if (bytes < 1024)
        return QStringLiteral("%1 bytes").arg(bytes);
    if (bytes < 1024 * 1024)
        return QStringLiteral("%1 KB").arg((bytes + 512) / 1024);
    return QStringLiteral("%1 MB").arg(double(bytes) / (1024 * 1024), 0, 'f', 1);
}

void WebDownloads::start(QWebEngineDownloadRequest* download) {
    // The engine comes back with a download it restarted by itself after
    // the server cut it off: that download ends there, with one message,
    // and is never asked about again.
    if (seen_.contains(download->id())) {
        download->cancel();
        if (Running* cut = running_.value(download->id()))
            finish(cut->download);
        return;
    }
    seen_.insert(download->id());
    // Only the user's own click (or address) in the pane starts a download,
    // and only while no Save As is open.
    auto* page = dynamic_cast<PanePage*>(download->page());
    if (choosing_ || !page || !page->TakeUserGesture(download->url())) {
        download->cancel();
        return;
    }
    // The name the page or server suggests, before the engine made it unique.
    const QString name = download->suggestedFileName().isEmpty() ? download->downloadFileName()
                                                                 : download->suggestedFileName();
    const QString suggested = QDir(StartFolder()).filePath(SafeFileName(name));
    QPointer<QWebEngineDownloadRequest> held(download);
    choosing_ = true;
    const QString target = dialogs_.ChooseSaveFile(suggested);
    choosing_ = false;
    if (!held)
        return;
    if (target.isEmpty()) {
        download->cancel(); // nothing is written
        return;
    }
    const QFileInfo partial(PartialName(target));
    download->setDownloadDirectory(partial.absolutePath());
    download->setDownloadFileName(partial.fileName());
    auto* running = new Running{download, target};
    running->total = download->totalBytes();
    running_.insert(download->id(), running);
    const auto progress = [this, download, running] {
        if (running->ended)
            return; // its progress went with it
        running->arrived = std::max(running->arrived, download->receivedBytes());
        if (download->totalBytes() > 0)
            running->total = download->totalBytes();
        dialogs_.ShowDownloadProgress(running->target, running->arrived, running->total,
                                      [held = QPointer(download), running] {
                                          if (!held || running->ended)
                                              return;
                                          running->cancelledByUser = true;
                                          held->cancel();
                                      });
    };
    connect(download, &QWebEngineDownloadRequest::receivedBytesChanged, this, progress);
    connect(download, &QWebEngineDownloadRequest::totalBytesChanged, this, progress);
    connect(download, &QWebEngineDownloadRequest::stateChanged, this,
            [this, download](QWebEngineDownloadRequest::DownloadState state) {
                if (state == QWebEngineDownloadRequest::DownloadInterrupted)
                    finish(download);
            });
    connect(download, &QWebEngineDownloadRequest::isFinishedChanged, this,
            [this, download] { finish(download); });
    connect(download, &QObject::destroyed, this, [this, id = download->id()] {
        if (Running* gone = running_.take(id)) {
            if (!gone->ended)
                dialogs_.EndDownloadProgress(gone->target);
            delete gone;
        }
    });
    progress();
    download->accept();
}

void WebDownloads::finish(QWebEngineDownloadRequest* download) {
    Running* running = running_.value(download->id());
    if (!running || running->download != download || running->ended)
        return;
    running->ended = true;
    running->arrived = std::max(running->arrived, download->receivedBytes());
    const QString& target = running->target;
    dialogs_.EndDownloadProgress(target);
    // The engine may have changed the name to avoid a file already there.
    const QString written =
        QDir(download->downloadDirectory()).filePath(download->downloadFileName());
    const bool complete = download->state() == QWebEngineDownloadRequest::DownloadCompleted;
    // The user agreed to replace the target when choosing it.
    const bool saved = complete && (!QFile::exists(target) || QFile::remove(target)) &&
                       QFile::rename(written, target);
    if (!saved) {
        // Nothing stays behind: neither the part nor the engine's own
        // working file, which it keeps to resume an interrupted download.
        QFile::remove(written);
        for (const QString& suffix : kEngineSuffixes)
            QFile::remove(written + suffix);
        if (download->state() != QWebEngineDownloadRequest::DownloadCancelled)
            download->cancel();
    }
    if (running->cancelledByUser)
        return; // the user knows
    const QString name = ShownName(QFileInfo(target).fileName());
    QString text;
    if (saved) {
        text = QStringLiteral("%1 has been downloaded to %2.")
                   .arg(name, QDir::toNativeSeparators(QFileInfo(target).dir().filePath(name)));
    } else if (complete) {
        text = QStringLiteral("%1 could not be downloaded: the file could not be saved.").arg(name);
    } else {
        const QString arrived = running->total > 0
                                    ? QStringLiteral("%1 of %2")
                                          .arg(SizeText(running->arrived), SizeText(running->total))
                                    : SizeText(running->arrived);
        const QString reason = download->interruptReason() == QWebEngineDownloadRequest::NoReason
                                   ? QString()
                                   : QStringLiteral(" (%1)").arg(download->interruptReasonString());
        text = QStringLiteral("%1 could not be downloaded: only %2 arrived%3. Nothing was saved.")
                   .arg(name, arrived, reason);
    }
    // Shown once the engine's call has returned.
    QTimer::singleShot(0, this, [text, saved] {
        services().messageBox->Show(text.toStdString(), saved ? kMbIconInformation : kMbIconError);
    });
}

} // namespace platform
