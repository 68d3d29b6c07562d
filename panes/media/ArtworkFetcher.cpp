#include "ArtworkFetcher.h"

#include "panes/WebAddress.h"

#include <QFile>
#include <QHostAddress>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>

namespace platform {

namespace {
const QString kReady = QStringLiteral("wavecrest:artwork");

// Fetches the image from a page of ours on its site, and says so in the
// title; what arrived waits in `art` (its type and bytes as base64, or null).
QString fetchScript(const QUrl& address) {
    // One pass over the arguments: the address may hold '%'.
    return QStringLiteral(
               "(function () {"
               "  var most = %2, stop = new AbortController();"
               "  var done = function (art) { window.art = art; document.title = '%4'; };"
               "  setTimeout(function () { stop.abort(); }, %3);"
               "  fetch(%1, {credentials: 'omit', redirect: 'error', signal: stop.signal})"
               "  .then(function (r) {"
               "    var type = (r.headers.get('Content-Type') || '').split(';')[0].trim()"
               "      .toLowerCase();"
               "    if (!r.ok || type.indexOf('image/') !== 0 || type.indexOf('svg') >= 0 ||"
               "        Number(r.headers.get('Content-Length') || 0) > most) throw 0;"
               "    var reader = r.body.getReader(), parts = [], size = 0;"
               "    var next = function () { return reader.read().then(function (c) {"
               "      if (c.done) return new Blob(parts);"
               "      size += c.value.length; if (size > most) { stop.abort(); throw 0; }"
               "      parts.push(c.value); return next(); }); };"
               "    return next().then(function (blob) { return new Promise(function (ok) {"
               "      var f = new FileReader();"
               "      f.onload = function () { ok({type: type, data: f.result.split(',')[1]}); };"
               "      f.readAsDataURL(blob); }); });"
               "  }).then(done, function () { done(null); });"
               "}())")
        .arg(QStringLiteral("'%1'").arg(QString::fromLatin1(address.toEncoded())
                                            .replace(QLatin1Char('\''), QStringLiteral("%27"))),
             QString::number(ArtworkFetcher::kMaxBytes),
             QString::number(ArtworkFetcher::kTimeoutMs), kReady);
}

bool onThisMachineOrPrivate(const QString& host) {
    const QHostAddress literal(host);
    if (literal.isNull())
        return host == QLatin1String("localhost") || host.endsWith(QLatin1String(".localhost"));
    static const QList<QPair<QHostAddress, int>> privateNetworks{
        QHostAddress::parseSubnet(QStringLiteral("10.0.0.0/8")),
        QHostAddress::parseSubnet(QStringLiteral("172.16.0.0/12")),
        QHostAddress::parseSubnet(QStringLiteral("192.168.0.0/16")),
        QHostAddress::parseSubnet(QStringLiteral("100.64.0.0/10")),
        QHostAddress::parseSubnet(QStringLiteral("0.0.0.0/8"))};
    for (const auto& network : privateNetworks)
        if (literal.isInSubnet(network))
            return true;
    return literal.isLoopback() || literal.isLinkLocal() || literal.isUniqueLocalUnicast() ||
           literal.isSiteLocal() || literal.isBroadcast() || literal == QHostAddress::AnyIPv6;
}

QString extensionFor(const QString& type) {
    const QString subtype = type.section(QLatin1Char('/'), 1).section(QLatin1Char('+'), 0, 0);
    QString safe;
    for (const QChar c : subtype)
        if (c.isLetterOrNumber() && c.unicode() < 0x80)
            safe += c;
    return safe.isEmpty() ? QStringLiteral("img") : safe.left(8);
}
} // namespace

ArtworkFetcher::ArtworkFetcher(QWebEngineProfile* profile, QObject* parent)
    : QObject(parent), profile_(profile) {
    giveUp_.setSingleShot(true);
    connect(&giveUp_, &QTimer::timeout, this, [this] { endFetch(); });
    next_.setSingleShot(true);
    connect(&next_, &QTimer::timeout, this, [this] { startNext(); });
}

ArtworkFetcher::~ArtworkFetcher() {
    delete fetcher_.data();
    forgetFile();
}

bool ArtworkFetcher::Allowed(const QUrl& address, const QUrl& pageAddress) {
    if (!IsWebAddress(address) || address.host().isEmpty())
        return false;
    const bool pagesSite = address.scheme() == pageAddress.scheme() &&
                           address.host() == pageAddress.host() &&
                           address.port() == pageAddress.port();
    return pagesSite || !onThisMachineOrPrivate(address.host());
}

void ArtworkFetcher::Follow(const QUrl& address, const QUrl& pageAddress) {
    if (address == named_)
        return;
    named_ = address;
    wanted_ = Allowed(address, pageAddress)
                  ? address.adjusted(QUrl::RemoveUserInfo | QUrl::RemoveFragment)
                  : QUrl();
    forgetFile();
    startNext();
}

void ArtworkFetcher::startNext() {
    // One fetch at a time, a few seconds apart: a page that changes its
    // artwork all the time gets the newest fetched now and then.
    if (fetcher_ || wanted_.isEmpty() || next_.isActive())
        return;
    if (lastStart_.isValid() && lastStart_.elapsed() < kLeastGapMs) {
        next_.start(int(kLeastGapMs - lastStart_.elapsed()));
        return;
    }
    lastStart_.start();
    start(std::exchange(wanted_, {}));
}

void ArtworkFetcher::start(const QUrl& address) {
    auto* page = new QWebEnginePage(profile_, this);
    fetcher_ = page;
    connect(page, &QWebEnginePage::loadFinished, page, [page, address](bool ok) {
        if (ok)
            page->runJavaScript(fetchScript(address), QWebEngineScript::ApplicationWorld);
    });
    connect(page, &QWebEnginePage::titleChanged, this, [this, page](const QString& title) {
        if (title == kReady && page == fetcher_)
            read();
    });
    // An empty page of ours whose address is the artwork's site: the fetch
    // is the site's own, and reads the image as the site sent it.
    page->setHtml(QStringLiteral("<html></html>"),
                  address.adjusted(QUrl::RemovePath | QUrl::RemoveQuery));
    giveUp_.start(2 * kTimeoutMs);
}

void ArtworkFetcher::read() {
    QPointer<ArtworkFetcher> self(this);
    fetcher_->runJavaScript(QStringLiteral("window.art"), QWebEngineScript::ApplicationWorld,
                            [self](const QVariant& answer) {
                                if (self)
                                    self->keep(answer);
                            });
}

void ArtworkFetcher::keep(const QVariant& answer) {
    const bool namedAnother = !wanted_.isEmpty();
    endFetch();
    if (namedAnother)
        return;
    const QVariantMap art = answer.toMap();
    const QByteArray bytes =
        QByteArray::fromBase64(art.value(QStringLiteral("data")).toString().toLatin1());
    if (bytes.isEmpty() || bytes.size() > kMaxBytes)
        return;
    if (!folder_)
        folder_ = std::make_unique<QTemporaryDir>(); // made for this user alone
    const QString name =
        folder_->filePath(QStringLiteral("artwork-%1.%2")
                              .arg(++kept_)
                              .arg(extensionFor(art.value(QStringLiteral("type")).toString())));
    QFile file(name);
    if (!folder_->isValid() || !file.open(QIODevice::WriteOnly) ||
        file.write(bytes) != bytes.size())
        return;
    file.close();
    forgetFile();
    file_ = QUrl::fromLocalFile(name);
    Q_EMIT changed();
}

void ArtworkFetcher::endFetch() {
    giveUp_.stop();
    if (fetcher_)
        fetcher_->deleteLater();
    fetcher_ = nullptr;
    startNext();
}

void ArtworkFetcher::forgetFile() {
    // Whoever follows tells the desktop at once.
    if (file_.isLocalFile())
        QFile::remove(file_.toLocalFile());
    file_.clear();
}

} // namespace platform
