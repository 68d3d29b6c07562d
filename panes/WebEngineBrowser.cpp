#include "WebEngineBrowser.h"

#include "PageGarbage.h"
#include "PanePage.h"
#include "WebPageAnswers.h"
#include "panes/media/MediaControls.h"
#include "panes/media/PageMediaReader.h"
#include "ui/Diagnostics.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QList>
#include <QMouseEvent>
#include <QPointer>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QUrl>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <cstdio>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace platform {

namespace {
// The panes show two documents: software drawing is quick enough for them,
// and it keeps the GPU process, GL drivers and their memory out of the
// program (the engine then leaves its GPU off by itself). Each pane's pages
// run in a page process of their own (the engine's usual model), so that a
// page that loops or crashes in one pane leaves the other alone. Whatever
// the user sets in these variables wins.
constexpr char kXcbGlVariable[] = "QT_XCB_GL_INTEGRATION";
QList<const char*> variablesWeSet;

void setUnlessUserDid(const char* variable, const char* value) {
    if (!qEnvironmentVariableIsEmpty(variable))
        return;
    qputenv(variable, value);
    variablesWeSet.append(variable);
}

bool userChoseDrawing() {
    return !qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND") ||
           !qEnvironmentVariableIsEmpty("QMLSCENE_DEVICE");
}

// Programs started from here (the user's browser, the FTP client) must not
// inherit our settings: once the engine and the display have read them,
// they go.
void forgetOurVariables() {
    for (const char* variable : std::as_const(variablesWeSet))
        qunsetenv(variable);
    variablesWeSet.clear();
}

void leaveOutUnusedFeatures(QWebEngineSettings* settings) {
    // No plug-ins, PDF viewer, WebGL or GPU canvas; the panes show no icons.
    for (auto feature :
         {QWebEngineSettings::PluginsEnabled, QWebEngineSettings::PdfViewerEnabled,
          QWebEngineSettings::WebGLEnabled, QWebEngineSettings::Accelerated2dCanvasEnabled,
          QWebEngineSettings::AutoLoadIconsForPage, QWebEngineSettings::TouchIconsEnabled})
        settings->setAttribute(feature, false);
}

// The engine's own features the panes do without (one switch: the engine
// keeps only the last of several). The sound of the panes plays in the
// program itself rather than in a process of its own (9 MB less, the same
// sound); the media controls are our own where the system has them.
QByteArray unusedFeaturesSwitch() {
    QByteArray features = "AudioServiceOutOfProcess";
    if (*EngineMediaControlsFeature())
        features += QByteArray(",") + EngineMediaControlsFeature();
    return "--disable-features=" + features;
}

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

QString siteOf(const QUrl& address) {
    return address.port() < 0 ? address.host()
                              : QStringLiteral("%1:%2").arg(address.host()).arg(address.port());
}

// Sees the user's clicks and keys in the panes, before the page does.
class UserInputWatch : public QObject {
public:
    static UserInputWatch& instance() {
        static auto* watch = [] {
            auto* made = new UserInputWatch;
            qApp->installEventFilter(made);
            return made;
        }();
        return *watch;
    }
    void watch(QWidget* view, PanePage* page) { panes_.append({view, page}); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::TouchBegin:
            break;
        default:
            return false;
        }
        if (!watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        for (qsizetype i = panes_.size() - 1; i >= 0; --i) {
            const auto& [view, page] = panes_[i];
            if (!view || !page) {
                panes_.removeAt(i);
                continue;
            }
            if (view == widget || view->isAncestorOf(widget))
                page->NoteUserInput();
        }
        return false;
    }

private:
    QList<QPair<QPointer<QWidget>, QPointer<PanePage>>> panes_;
};
} // namespace

WebEngineBrowser::WebEngineBrowser(QWidget* parent, WebPageAnswers& answers)
    : view_(new QWebEngineView(parent)), answers_(answers) {
    setParent(view_);
    page_ = new PanePage(SharedProfile(), answers, view_);
    view_->setPage(page_);
    new PageGarbageCollector(page_);
    view_->setFocusPolicy(Qt::StrongFocus);
    answers.Serve(page_);
    // Staying on a page ends the navigation that would have left it.
    page_->onStay = [this] {
        awaiting_ = false;
        loading_ = false;
    };
    UserInputWatch::instance().watch(view_, page_);
    QObject::connect(page_, &QWebEnginePage::loadingChanged, this,
                     [this](const QWebEngineLoadingInfo& info) { onLoadingChanged(info); });
    QObject::connect(page_, &QWebEnginePage::urlChanged, this,
                     [this](const QUrl& url) { onUrlChanged(url); });
    QObject::connect(page_, &QWebEnginePage::renderProcessTerminated, this,
                     [this] { onProcessEnded(); });
    // What the pane says over its page: a process that ended, a site that
    // does not answer. It lies over the view, beside it rather than in it,
    // so that the view's own focus chain stays as the engine keeps it.
    notice_ = new QLabel(parent);
    notice_->setObjectName(QStringLiteral("paneNotice"));
    notice_->setTextFormat(Qt::RichText);
    notice_->setWordWrap(true);
    notice_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    notice_->setMargin(6);
    notice_->setAutoFillBackground(true);
    // Out of the window's tab order; from the keyboard, the pane's Refresh
    // button does what its link does.
    notice_->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    notice_->setFocusPolicy(Qt::NoFocus);
    notice_->hide();
    QObject::connect(notice_, &QLabel::linkActivated, this, [this] {
        hideNotice();
        lastProcessEnd_.invalidate();
        retryNow();
    });
    retryTimer_.setSingleShot(true);
    QObject::connect(&retryTimer_, &QTimer::timeout, this, [this] { retryNow(); });
}

WebEngineBrowser::~WebEngineBrowser() {
    delete notice_.data();
}

QUrl WebEngineBrowser::AddressFromText(const QString& text) {
    if (text.trimmed().isEmpty())
        return {};
    return QUrl::fromUserInput(text);
}

void WebEngineBrowser::Navigate(const QString& address) {
    const QUrl url = AddressFromText(address);
    if (!url.isValid())
        return; // nothing to load: nothing shown, nothing reported
    stopRetrying();
    hideNotice();
    page_->UserNavigated();
    page_->NoteUserAddress(url); // the user's own address may be a file to download
    if (!WebPageAnswers::EngineShowsItself(url)) {
        // Another program's address: asked about or refused, never loaded.
        awaiting_ = false;
        answers_.OpenElsewhere(url, true);
        return;
    }
    if (home_.isEmpty())
        home_ = url;
    // A script address runs in the page shown; nothing is loaded.
    awaiting_ = url.scheme() != QLatin1String("javascript");
    awaited_ = url;
    view_->load(url);
}

void WebEngineBrowser::Refresh() {
    stopRetrying();
    page_->UserNavigated();
    if (!notice_->isHidden()) {
        // After a page process ended, or while a site does not answer: the
        // pane's page is loaded again.
        hideNotice();
        retryNow();
        return;
    }
    view_->reload();
}

void WebEngineBrowser::Stop() {
    awaiting_ = false;
    loading_ = false; // the load has ended, even before the engine reports it
    if (retrying_) {
        stopRetrying();
        showNotice(QStringLiteral("%1 did not answer.").arg(siteOf(retryAddress_).toHtmlEscaped()),
                   QStringLiteral("Try again"));
    }
    view_->stop();
}

bool WebEngineBrowser::Busy() const {
    return awaiting_ || loading_ || retrying_;
}

QString WebEngineBrowser::LocationName() const {
    return view_->title();
}

QWidget* WebEngineBrowser::widget() {
    return view_;
}

QWebEnginePage* WebEngineBrowser::page() const {
    return page_;
}

QString WebEngineBrowser::Notice() const {
    return notice_->isHidden() ? QString() : notice_->text();
}

int WebEngineBrowser::RetryDelayMs(qint64 gone) {
    constexpr qint64 kMinute = 60000;
    if (gone < 2 * kMinute)
        return 5000;
    if (gone < 10 * kMinute)
        return 10000;
    return 30000;
}

void WebEngineBrowser::onLoadingChanged(const QWebEngineLoadingInfo& info) {
    // A load started after Navigate is the newest navigation's. A navigation
    // that replaces a running load ends that load without a start of its own;
    // one the engine refuses only ends. Either way nothing is loading any more.
    loading_ = info.status() == QWebEngineLoadingInfo::LoadStartedStatus;
    awaiting_ = false;
    if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus && !info.isErrorPage()) {
        // The page shows: nothing more to try, nothing to say.
        stopRetrying();
        hideNotice();
    } else if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus && siteDidNotAnswer(info) &&
               ownSite(info.url())) {
        retryLater(info);
    }
}

void WebEngineBrowser::onUrlChanged(const QUrl& url) {
    // The address is shown; a load still running keeps the pane busy.
    if (url == awaited_)
        awaiting_ = false;
}

bool WebEngineBrowser::ownSite(const QUrl& address) const {
    return home_.isValid() && address.scheme() == home_.scheme() &&
           address.host() == home_.host() && address.port() == home_.port();
}

void WebEngineBrowser::retryLater(const QWebEngineLoadingInfo& info) {
    if (!retrying_)
        goneSince_.start();
    retrying_ = true; // the pane stays busy until its page shows
    retryAddress_ = info.url();
    const int delay = RetryDelayMs(goneSince_.elapsed());
    showNotice(QStringLiteral("%1 does not answer (%2). Trying again every %3 seconds.")
                   .arg(siteOf(info.url()).toHtmlEscaped(), info.errorString().toHtmlEscaped())
                   .arg(delay / 1000),
               QStringLiteral("Try now"));
    retryTimer_.start(delay);
}

void WebEngineBrowser::retryNow() {
    retryTimer_.stop();
    const QUrl address = retrying_ || !retryAddress_.isEmpty() ? retryAddress_ : view_->url();
    if (address.isValid() && !address.isEmpty())
        view_->load(address);
    else
        view_->reload();
}

void WebEngineBrowser::stopRetrying() {
    retrying_ = false;
    retryTimer_.stop();
    retryAddress_.clear();
}

void WebEngineBrowser::onProcessEnded() {
    // The load it stood for has ended with it: the window's busy indicator
    // stops. Boxes the page had open go with it.
    awaiting_ = false;
    loading_ = false;
    stopRetrying();
    page_->UserNavigated();
    if (lastProcessEnd_.isValid() && lastProcessEnd_.elapsed() < kCrashWindowMs) {
        lastProcessEnd_.start();
        showNotice(QStringLiteral("This page stopped working again."),
                   QStringLiteral("Load it again"));
        return;
    }
    lastProcessEnd_.start();
    showNotice(QStringLiteral("This page stopped working. It is being loaded again."));
    QTimer::singleShot(0, this, [this] { view_->reload(); });
}

void WebEngineBrowser::showNotice(const QString& text, const QString& link) {
    QString html = text;
    if (!link.isEmpty())
        html += QStringLiteral(" <a href=\"#again\">%1</a>").arg(link.toHtmlEscaped());
    notice_->setText(html);
    notice_->setGeometry(view_->geometry());
    notice_->show();
    notice_->raise();
}

void WebEngineBrowser::hideNotice() {
    notice_->hide();
    notice_->clear();
}

WebEngineBrowserFactory::WebEngineBrowserFactory(WebDialogs& dialogs,
                                                 MediaControlsMaker makeMediaControls)
    : dialogs_(dialogs), makeMediaControls_(std::move(makeMediaControls)) {}

WebEngineBrowserFactory::~WebEngineBrowserFactory() {
    delete media_.data();
}

WebBrowser* WebEngineBrowserFactory::Create(QWidget* parent) {
    if (!answers_) {
        answers_ = std::make_unique<WebPageAnswers>(dialogs_, WebEngineBrowser::SharedProfile());
        media_ = new MediaPublisher(makeMediaControls_());
        media_->setParent(qApp);
    }
    auto* browser = new WebEngineBrowser(parent, *answers_);
    media_->Follow(browser->page_);
    return browser;
}

QWebEngineProfile* WebEngineBrowser::SharedProfile() {
    static QWebEngineProfile* profile = [] {
        auto* shared = new QWebEngineProfile(QStringLiteral("Wavecrest"), qApp);
        forgetOurVariables(); // the engine has started with the profile
        leaveOutUnusedFeatures(shared->settings());
        shared->settings()->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
        // An address for another program is never handed on by the engine:
        // one a page tries without a click of the user's is dropped; one
        // that follows a click comes to the page's acceptNavigationRequest,
        // which always declines it and asks or tells the user instead.
        shared->settings()->setUnknownUrlSchemePolicy(
            QWebEngineSettings::AllowUnknownUrlSchemesFromUserInteraction);
        return shared;
    }();
    return profile;
}

void PrepareWebEngine() {
#ifndef _WIN32
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        std::fputs("Wavecrest: running as root, so the web engine's sandbox is off.\n", stderr);
    }
#endif
    const QByteArray flags = QByteArray(QuietEngineLogSwitch()) + ' ' + GarbageCollectorSwitch() +
                             ' ' + unusedFeaturesSwitch();
    setUnlessUserDid("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed().constData());
    // The pages are read to screen readers: the engine builds their
    // accessibility trees only while an assistive technology listens (Qt's
    // accessibility is active). The engine reads this switch after start-up,
    // so unlike the variables above it stays set; without a screen reader it
    // changes nothing, here or in a program started from here.
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY"))
        qputenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY", "1");
    if (userChoseDrawing()) {
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        return;
    }
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    // No GL on X at all: even an unused share context loads the GL driver.
    setUnlessUserDid(kXcbGlVariable, "none");
}

} // namespace platform
