#include "PaneHealing.h"

#include "WebAddress.h"

#include <QLabel>
#include <QWebEngineLoadingInfo>
#include <QWebEngineView>

namespace platform {

namespace {
// Network failures worth trying again: the site did not answer, its name
// did not resolve, or the connection broke. Not a stop, not a refused
// certificate, not a page the server sent (an error page it made shows).
bool siteDidNotAnswer(const QWebEngineLoadingInfo& info) {
    switch (info.errorDomain()) {
    case QWebEngineLoadingInfo::ConnectionErrorDomain:
    case QWebEngineLoadingInfo::DnsErrorDomain:
        return true;
    default:
        // Timed out, network changed, empty response.
        return info.errorCode() == -7 || info.errorCode() == -21 || info.errorCode() == -324;
    }
}

QLabel* newNotice(QWidget* parent) {
    auto* notice = new QLabel(parent);
    notice->setObjectName(QStringLiteral("paneNotice"));
    notice->setTextFormat(Qt::RichText);
    notice->setWordWrap(true);
    notice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    notice->setMargin(6);
    notice->setAutoFillBackground(true);
    // Out of the window's tab order; from the keyboard, the pane's Refresh
    // button does what its link does.
    notice->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    notice->setFocusPolicy(Qt::NoFocus);
    notice->hide();
    return notice;
}
} // namespace

PaneHealing::PaneHealing(QWebEngineView* view, QWidget* parent)
    : QObject(view), view_(view), notice_(newNotice(parent)) {
    // Beside the view rather than in it, so that the view's own focus chain
    // stays as the engine keeps it.
    connect(notice_, &QLabel::linkActivated, this, [this] {
        // After its page process ended, the user's load is the one load again.
        if (pageStopped_)
            lastProcessEnd_.start();
        hideNotice();
        retryNow();
        changed();
    });
    retryTimer_.setSingleShot(true);
    connect(&retryTimer_, &QTimer::timeout, this, [this] { retryNow(); });
}

PaneHealing::~PaneHealing() {
    delete notice_.data();
}

int PaneHealing::RetryDelayMs(qint64 gone) {
    constexpr qint64 kMinute = 60000;
    if (gone < 2 * kMinute)
        return 5000;
    if (gone < 10 * kMinute)
        return 10000;
    return 30000;
}

QLabel* PaneHealing::NoticeLabel() const {
    return notice_;
}

QString PaneHealing::Notice() const {
    return notice_->isHidden() ? QString() : notice_->text();
}

void PaneHealing::UserNavigated(const QUrl& address) {
    stopRetrying();
    reload_ = Reload::None;
    hideNotice();
    if (home_.isEmpty() && !address.isEmpty())
        home_ = address;
}

bool PaneHealing::Refresh() {
    stopRetrying();
    if (notice_->isHidden())
        return false;
    // After a page process ended, or while a site does not answer: the
    // pane's page is loaded again.
    hideNotice();
    retryNow();
    return true;
}

void PaneHealing::Stop() {
    reload_ = Reload::None;
    if (!retrying_)
        return;
    const QString site = SiteOf(retryAddress_);
    stopRetrying();
    showNotice(QStringLiteral("%1 did not answer.").arg(site.toHtmlEscaped()),
               QStringLiteral("Try again"));
}

void PaneHealing::LoadEnded(const QWebEngineLoadingInfo& info) {
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
        if (reload_ == Reload::Asked)
            reload_ = Reload::Started;
        return;
    }
    if (reload_ == Reload::Started)
        reload_ = Reload::None;
    if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus && !info.isErrorPage()) {
        // The page shows: nothing more to try, nothing to say. (The engine
        // may have carried a load on into a new page process by itself.)
        const bool wasStopped = pageStopped_;
        stopRetrying();
        hideNotice();
        if (wasStopped)
            changed();
    } else if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus && siteDidNotAnswer(info) &&
               ownSite(info.url())) {
        retryLater(info);
    }
}

bool PaneHealing::ownSite(const QUrl& address) const {
    return home_.isValid() && address.scheme() == home_.scheme() &&
           address.host() == home_.host() && address.port() == home_.port();
}

void PaneHealing::retryLater(const QWebEngineLoadingInfo& info) {
    if (!retrying_)
        goneSince_.start();
    retrying_ = true;
    retryAddress_ = info.url();
    const int delay = RetryDelayMs(goneSince_.elapsed());
    showNotice(QStringLiteral("%1 does not answer (%2). Trying again every %3 seconds.")
                   .arg(SiteOf(info.url()).toHtmlEscaped(), info.errorString().toHtmlEscaped())
                   .arg(delay / 1000),
               QStringLiteral("Try now"));
    retryTimer_.start(delay);
}

void PaneHealing::retryNow() {
    retryTimer_.stop();
    reload_ = Reload::Asked;
    const QUrl address = retrying_ || !retryAddress_.isEmpty() ? retryAddress_ : view_->url();
    if (address.isValid() && !address.isEmpty())
        view_->load(address);
    else
        view_->reload();
}

void PaneHealing::stopRetrying() {
    retrying_ = false;
    retryTimer_.stop();
    retryAddress_.clear();
}

void PaneHealing::ProcessEnded() {
    stopRetrying();
    const bool again = lastProcessEnd_.isValid() && lastProcessEnd_.elapsed() < kCrashWindowMs;
    lastProcessEnd_.start();
    if (again) {
        reload_ = Reload::None;
        showNotice(QStringLiteral("This page stopped working again."),
                   QStringLiteral("Load it again"));
    } else {
        reload_ = Reload::Asked;
        showNotice(QStringLiteral("This page stopped working. It is being loaded again."));
        QTimer::singleShot(0, this, [this] {
            if (reload_ == Reload::Asked)
                view_->reload();
        });
    }
    pageStopped_ = true;
    changed();
}

void PaneHealing::changed() {
    if (onChange)
        onChange();
}

void PaneHealing::showNotice(const QString& text, const QString& link) {
    pageStopped_ = false; // until the caller says it is what the notice tells
    QString html = text;
    if (!link.isEmpty())
        html += QStringLiteral(" <a href=\"#again\">%1</a>").arg(link.toHtmlEscaped());
    notice_->setText(html);
    notice_->setGeometry(view_->geometry());
    notice_->show();
    notice_->raise();
}

void PaneHealing::hideNotice() {
    pageStopped_ = false;
    notice_->hide();
    notice_->clear();
}

} // namespace platform
