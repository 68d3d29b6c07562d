#include "PagePermissions.h"

#include "PageBoxes.h"
#include "PanePage.h"
#include "WebAddress.h"

namespace platform {

QString PagePermissions::WhatIsAsked(QWebEnginePage::Feature feature) {
    switch (feature) {
    case QWebEnginePage::Notifications:
        return QStringLiteral("show notifications");
    case QWebEnginePage::Geolocation:
        return QStringLiteral("know your location");
    case QWebEnginePage::MediaAudioCapture:
        return QStringLiteral("use your microphone");
    case QWebEnginePage::MediaVideoCapture:
        return QStringLiteral("use your camera");
    case QWebEnginePage::MediaAudioVideoCapture:
        return QStringLiteral("use your microphone and camera");
    case QWebEnginePage::MouseLock:
        return QStringLiteral("take over the mouse pointer");
    case QWebEnginePage::DesktopVideoCapture:
        return QStringLiteral("share your screen");
    case QWebEnginePage::DesktopAudioVideoCapture:
        return QStringLiteral("share your screen and its sound");
    }
    return {};
}

void PagePermissions::Answer(PanePage* page, const QUrl& origin, QWebEnginePage::Feature feature) {
    // A frame from another site is refused unasked, as browsers refuse
    // cross-site frames by default: the page's own site asks, or nobody.
    if (SiteOf(origin) != SiteOf(page->url()))
        return page->setFeaturePermission(origin, feature, QWebEnginePage::PermissionDeniedByUser);
    const QString what = WhatIsAsked(feature);
    const QString key = origin.toString() + QLatin1Char(' ') + what;
    const bool firstAsking = !asking_.contains(key);
    asking_[key] << Request{page, origin, feature};
    if (answers_.contains(key))
        return settle(key, answers_[key]);
    if (!firstAsking)
        return; // takes the answer of the box already shown
    const QString question = QStringLiteral("%1 asks to %2.").arg(SiteOf(origin), what);
    QPointer<PagePermissions> self(this);
    page->boxes().AskPermission(origin, question, [self, key](bool allowed) {
        if (self)
            self->settle(key, allowed);
    });
}

void PagePermissions::settle(const QString& key, bool allowed) {
    answers_[key] = allowed;
    for (const Request& request : asking_.take(key))
        if (request.page)
            request.page->setFeaturePermission(request.origin, request.feature,
                                               allowed ? QWebEnginePage::PermissionGrantedByUser
                                                       : QWebEnginePage::PermissionDeniedByUser);
}

} // namespace platform
