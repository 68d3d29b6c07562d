#include "WebPageAnswers.h"

#include "platform/MsgBox.h"
#include "platform/Services.h"
#include "platform/Shell.h"

#include <QAuthenticator>
#include <QWebEngineCertificateError>
#include <QWebEngineNewWindowRequest>

namespace platform {

namespace {
QString whatIsAsked(QWebEnginePage::Feature feature) {
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

QString siteName(const QUrl& address) {
    return address.port() < 0 ? address.host()
                              : QStringLiteral("%1:%2").arg(address.host()).arg(address.port());
}
} // namespace

WebPageAnswers::WebPageAnswers(WebDialogs& dialogs, QWebEngineProfile* profile)
    : dialogs_(dialogs), downloads_(dialogs, profile) {}

void WebPageAnswers::Serve(QWebEnginePage* page) {
    connect(page, &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest& request) { openNewWindow(request); });
    connect(page, &QWebEnginePage::authenticationRequired, this,
            [this](const QUrl& address, QAuthenticator* authenticator) {
                logIn(address, authenticator);
            });
    connect(page, &QWebEnginePage::proxyAuthenticationRequired, this,
            [this](const QUrl&, QAuthenticator* authenticator, const QString& proxy) {
                logIn(QUrl(QStringLiteral("http://") + proxy), authenticator);
            });
    connect(page, &QWebEnginePage::featurePermissionRequested, this,
            [this, page](const QUrl& origin, QWebEnginePage::Feature feature) {
                answerPermission(page, origin, feature);
            });
    // The engine then shows its error page, with no way past it.
    connect(page, &QWebEnginePage::certificateError, this,
            [](QWebEngineCertificateError error) { error.rejectCertificate(); });
}

void WebPageAnswers::openNewWindow(const QWebEngineNewWindowRequest& request) {
    // Only a click may open a window; a page opening windows by itself is
    // refused, as a browser blocks pop-ups. Nothing opens inside the program.
    if (request.isUserInitiated())
        services().shell->Open(request.requestedUrl().toString().toStdString());
}

void WebPageAnswers::logIn(const QUrl& address, QAuthenticator* authenticator) {
    QString user;
    QString password;
    if (!dialogs_.AskLogin(siteName(address), authenticator->realm(), user, password)) {
        *authenticator = QAuthenticator(); // the page's own refusal is shown
        return;
    }
    authenticator->setUser(user);
    authenticator->setPassword(password);
}

void WebPageAnswers::answerPermission(QWebEnginePage* page, const QUrl& origin,
                                      QWebEnginePage::Feature feature) {
    const QString what = whatIsAsked(feature);
    const QString key = origin.toString() + QLatin1Char(' ') + what;
    if (!permissions_.contains(key)) {
        const QString question = QStringLiteral("%1 asks to %2.\n\nAllow it?")
                                     .arg(siteName(origin), what);
        permissions_[key] = services().messageBox->Show(question.toStdString(),
                                                        kMbYesNo | kMbIconQuestion | kMbDefButton2) == kIdYes;
    }
    page->setFeaturePermission(origin, feature,
                               permissions_[key] ? QWebEnginePage::PermissionGrantedByUser
                                                 : QWebEnginePage::PermissionDeniedByUser);
}

} // namespace platform
