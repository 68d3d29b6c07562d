#include "WebPageAnswers.h"

#include "PaneWait.h"
#include "core/MsgBox.h"
#include "core/Services.h"
#include "core/Shell.h"

#include <QAuthenticator>
#include <QCoreApplication>
#include <QPointer>
#include <QTimer>
#include <QWebEngineCertificateError>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNewWindowRequest>
#include <optional>

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

bool isWebAddress(const QUrl& address) {
    const QString scheme = address.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}
} // namespace

// A login asked for one site and realm, and what the user answered.
struct WebPageAnswers::Login {
    QPointer<QWebEnginePage> page; // whose load the counts below belong to
    int asks = 0;                  // boxes shown in this page load
    bool asking = false;           // a box is shown now
    bool cancelled = false;        // the user cancelled it in this page load
    int answer = 0;                // how many answers were given; the newest is below
    QString user;
    QString password;
    QHash<QString, int> triedWith; // request address: the answer it was given
    QList<PaneWait*> waiting;      // requests waiting for the box's answer
};

WebPageAnswers::WebPageAnswers(WebDialogs& dialogs, QWebEngineProfile* profile)
    : dialogs_(dialogs), downloads_(dialogs, profile) {}

WebPageAnswers::~WebPageAnswers() = default;

void WebPageAnswers::Serve(PanePage* page) {
    connect(page, &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest& request) { openNewWindow(request); });
    connect(page, &QWebEnginePage::authenticationRequired, this,
            [this, page](const QUrl& address, QAuthenticator* authenticator) {
                logIn(page, address, siteName(address), authenticator);
            });
    connect(page, &QWebEnginePage::proxyAuthenticationRequired, this,
            [this, page](const QUrl& address, QAuthenticator* authenticator, const QString& proxy) {
                logIn(page, address, proxy, authenticator);
            });
    connect(page, &QWebEnginePage::loadingChanged, this,
            [this, page](const QWebEngineLoadingInfo& info) {
                if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus)
                    pageLoadStarts(page);
            });
    connect(page, &QWebEnginePage::featurePermissionRequested, this,
            [this, page](const QUrl& origin, QWebEnginePage::Feature feature) {
                answerPermission(page, origin, feature);
            });
    // The engine then shows its error page, with no way past it.
    connect(page, &QWebEnginePage::certificateError, this,
            [](QWebEngineCertificateError error) { error.rejectCertificate(); });
}

bool WebPageAnswers::EngineShowsItself(const QUrl& address) {
    static const QStringList inside{"http",       "https", "about",      "blob",
                                    "chrome",     "data",  "file",       "filesystem",
                                    "javascript", "qrc",   "view-source"};
    return inside.contains(address.scheme().toLower());
}

bool WebPageAnswers::IsLeaveQuestion(const QString& message) {
    return message ==
           QCoreApplication::translate("QWebEnginePage",
                                       "Are you sure you want to leave this page? Changes that "
                                       "you made may not be saved.");
}

QString WebPageAnswers::RefusalText(const QUrl& address) {
    return QStringLiteral("Wavecrest does not open \"%1:\" addresses, so this one was not opened.")
        .arg(address.scheme());
}

void WebPageAnswers::openNewWindow(const QWebEngineNewWindowRequest& request) {
    // Only a click may open a window; a page opening windows by itself is
    // refused, as a browser blocks pop-ups. Nothing opens inside the program.
    if (!request.isUserInitiated())
        return;
    const QUrl address = request.requestedUrl();
    if (isWebAddress(address))
        services().shell->Open(address.toString().toStdString());
    else
        OpenElsewhere(address, true);
}

void WebPageAnswers::OpenElsewhere(const QUrl& address, bool byUser) {
    // One question at a time; a page that tries again meanwhile gets nothing.
    if (!byUser || askingElsewhere_)
        return;
    askingElsewhere_ = true;
    // Asked once the engine's call has returned: the engine never waits on it.
    QTimer::singleShot(0, this, [this, address] {
        if (address.scheme().compare(QLatin1String("mailto"), Qt::CaseInsensitive) == 0) {
            const QString question =
                QStringLiteral("Open this e-mail address in your mail program?\n\n%1")
                    .arg(address.toString());
            if (services().messageBox->Show(question.toStdString(),
                                            kMbYesNo | kMbIconQuestion | kMbDefButton2) == kIdYes)
                services().shell->Open(address.toString().toStdString());
        } else {
            services().messageBox->Show(RefusalText(address).toStdString(), kMbIconWarning);
        }
        askingElsewhere_ = false;
    });
}

PageDialogAnswer WebPageAnswers::AskForPage(PanePage* page, PageDialog::Kind kind,
                                            const QUrl& origin, const QString& message,
                                            const QString& text) {
    const QString site = siteName(origin);
    // What a browser answers a page whose boxes were stopped: an alert just
    // returns, a question is declined, and leaving is never held up.
    PageDialogAnswer browserAnswer;
    browserAnswer.accepted = kind == PageDialog::Leave;
    if (page->stoppedSites.contains(site) || PaneWait::Closing(page->pane()))
        return browserAnswer;
    QPointer<PanePage> asking(page);
    QPointer<QWidget> pane(page->pane());
    if (kind == PageDialog::Alert) {
        // An alert needs no answer: its box stays over the pane while the
        // page and the engine go on (the other pane too). One at a time: a
        // page's alerts while its box shows are dropped.
        if (page->boxOpen)
            return browserAnswer;
        const PageDialog dialog{kind, site, message, text, ++page->boxesShown[site] >= 2, pane};
        page->boxOpen = true;
        dialogs_.AskForPage(dialog, [asking, site](const PageDialogAnswer& answer) {
            if (!asking)
                return;
            asking->boxOpen = false;
            if (answer.stopPage)
                asking->stoppedSites.insert(site);
            for (PaneWait* wait : std::exchange(asking->waitingForBox, {}))
                wait->Finish();
        });
        return browserAnswer;
    }
    // A question waits for its answer, and so does the page. The engine waits
    // with it: the window stays usable, but neither pane's picture moves
    // until the box is answered.
    while (page->boxOpen) { // an alert's box is up: the question comes after it
        PaneWait wait(pane);
        page->waitingForBox << &wait;
        wait.onAbandon = [this, pane] { dialogs_.CloseBoxes(pane); };
        wait.Run();
        if (!asking)
            return browserAnswer;
        page->waitingForBox.removeOne(&wait);
        if (!wait.finished())
            return browserAnswer; // the program is ending
    }
    if (page->stoppedSites.contains(site) || PaneWait::Closing(pane))
        return browserAnswer;
    const PageDialog dialog{kind, site, message, text, ++page->boxesShown[site] >= 2, pane};

    struct Pending {
        std::optional<PageDialogAnswer> answer;
        PaneWait* wait = nullptr;
    };
    auto pending = std::make_shared<Pending>();
    PaneWait wait(pane);
    pending->wait = &wait;
    wait.onAbandon = [this, pane] { dialogs_.CloseBoxes(pane); };
    page->boxOpen = true;
    dialogs_.AskForPage(dialog, [pending](const PageDialogAnswer& answer) {
        pending->answer = answer;
        if (pending->wait)
            pending->wait->Finish();
    });
    wait.Run();
    pending->wait = nullptr;
    if (!asking)
        return browserAnswer;
    page->boxOpen = false;
    if (!pending->answer) { // the program is ending
        dialogs_.CloseBoxes(pane);
        return browserAnswer;
    }
    if (pending->answer->stopPage)
        page->stoppedSites.insert(site);
    return *pending->answer;
}

void WebPageAnswers::PaneMovesOn(PanePage* page) {
    dialogs_.CloseBoxes(page->pane());
}

void WebPageAnswers::pageLoadStarts(QWebEnginePage* page) {
    // A new page load asks its logins afresh (none that is being asked).
    for (auto it = logins_.begin(); it != logins_.end();) {
        if (it.value()->page == page && !it.value()->asking)
            it = logins_.erase(it);
        else
            ++it;
    }
}

void WebPageAnswers::logIn(PanePage* page, const QUrl& address, const QString& site,
                           QAuthenticator* authenticator) {
    const QString key = site + QLatin1Char('\n') + authenticator->realm();
    std::shared_ptr<Login> login = logins_.value(key);
    if (!login) {
        login = std::make_shared<Login>();
        login->page = page;
        logins_.insert(key, login);
    }
    const QString request = address.toString();
    const auto cancel = [authenticator] {
        *authenticator = QAuthenticator(); // the page's own refusal is shown
    };
    for (;;) {
        if (login->cancelled || PaneWait::Closing(page->pane()))
            return cancel();
        if (login->asking) {
            // One box per site and realm: this request takes its answer.
            PaneWait wait(page->pane());
            login->waiting << &wait;
            wait.Run();
            login->waiting.removeOne(&wait);
            if (!wait.finished())
                return cancel(); // the window closes or the program ends
            continue;
        }
        if (login->answer > 0 && login->triedWith.value(request) < login->answer) {
            login->triedWith[request] = login->answer;
            authenticator->setUser(login->user);
            authenticator->setPassword(login->password);
            return;
        }
        // This request came back with the newest answer: it was wrong.
        if (login->asks >= kLoginAsks)
            return cancel();
        ++login->asks;
        login->asking = true;
        dialogs_.AskLogin(site, authenticator->realm(), page->pane(),
                          [login](const LoginAnswer& answer) {
                              login->asking = false;
                              if (answer.given) {
                                  ++login->answer;
                                  login->user = answer.user;
                                  login->password = answer.password;
                              } else {
                                  login->cancelled = true;
                              }
                              for (PaneWait* wait : std::as_const(login->waiting))
                                  wait->Finish();
                          });
    }
}

void WebPageAnswers::answerPermission(QWebEnginePage* page, const QUrl& origin,
                                      QWebEnginePage::Feature feature) {
    const QString what = whatIsAsked(feature);
    const QString key = origin.toString() + QLatin1Char(' ') + what;
    if (!permissions_.contains(key)) {
        const QString question =
            QStringLiteral("%1 asks to %2.\n\nAllow it?").arg(siteName(origin), what);
        permissions_[key] =
            services().messageBox->Show(question.toStdString(),
                                        kMbYesNo | kMbIconQuestion | kMbDefButton2) == kIdYes;
    }
    page->setFeaturePermission(origin, feature,
                               permissions_[key] ? QWebEnginePage::PermissionGrantedByUser
                                                 : QWebEnginePage::PermissionDeniedByUser);
}

} // namespace platform
