#include "WebPageAnswers.h"

#include "PanePage.h"
#include "WebAddress.h"

#include <QAuthenticator>
#include <QWebEngineCertificateError>
#include <QWebEngineNewWindowRequest>

namespace platform {

WebPageAnswers::WebPageAnswers(WebDialogs& dialogs, QWebEngineProfile* profile)
    : dialogs_(dialogs), downloads_(dialogs, profile) {}

WebPageAnswers::~WebPageAnswers() = default;

void WebPageAnswers::Serve(PanePage* page) {
    connect(page, &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest& request) { otherPrograms_.OpenNewWindow(request); });
    connect(page, &QWebEnginePage::authenticationRequired, this,
            [page](const QUrl& address, QAuthenticator* authenticator) {
                page->LogIn(address, SiteOf(address), authenticator);
            });
    connect(page, &QWebEnginePage::proxyAuthenticationRequired, this,
            [page](const QUrl& address, QAuthenticator* authenticator, const QString& proxy) {
                page->LogIn(address, proxy, authenticator);
            });
    connect(page, &QWebEnginePage::featurePermissionRequested, this,
            [this, page](const QUrl& origin, QWebEnginePage::Feature feature) {
                permissions_.Answer(page, origin, feature);
            });
    // The engine then shows its error page, with no way past it.
    connect(page, &QWebEnginePage::certificateError, this,
            [](QWebEngineCertificateError error) { error.rejectCertificate(); });
}

} // namespace platform
