#include "WebEngineBrowser.h"

#include "Diagnostics.h"
#include "WebPageAnswers.h"

#include <QCoreApplication>
#include <QList>
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
// program (the engine then leaves its GPU off by itself). The player and
// chat pages come from one site: one renderer serves both. Whatever the user
// sets in these variables wins.
constexpr char kChromiumFlagsVariable[] = "QTWEBENGINE_CHROMIUM_FLAGS";
constexpr char kEngineFlags[] = "--process-per-site";
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
} // namespace

WebEngineBrowser::WebEngineBrowser(QWidget* parent) : view_(new QWebEngineView(parent)) {
    setParent(view_);
    auto* page = new QWebEnginePage(SharedProfile(), view_);
    view_->setPage(page);
    view_->setFocusPolicy(Qt::StrongFocus);
    QObject::connect(page, &QWebEnginePage::loadingChanged, this,
                     [this](const QWebEngineLoadingInfo& info) { onLoadingChanged(info); });
    QObject::connect(page, &QWebEnginePage::urlChanged, this,
                     [this](const QUrl& url) { onUrlChanged(url); });
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
    // A script address runs in the page shown; nothing is loaded.
    awaiting_ = url.scheme() != QLatin1String("javascript");
    awaited_ = url;
    view_->load(url);
}

void WebEngineBrowser::Refresh() {
    view_->reload();
}

void WebEngineBrowser::Stop() {
    awaiting_ = false;
    loading_ = false; // the load has ended, even before the engine reports it
    view_->stop();
}

bool WebEngineBrowser::Busy() const {
    return awaiting_ || loading_;
}

QString WebEngineBrowser::LocationName() const {
    return view_->title();
}

QWidget* WebEngineBrowser::widget() {
    return view_;
}

QWebEnginePage* WebEngineBrowser::page() const {
    return view_->page();
}

void WebEngineBrowser::onLoadingChanged(const QWebEngineLoadingInfo& info) {
    // A load started after Navigate is the newest navigation's. A navigation
    // that replaces a running load ends that load without a start of its own;
    // one the engine refuses only ends. Either way nothing is loading any more.
    loading_ = info.status() == QWebEngineLoadingInfo::LoadStartedStatus;
    awaiting_ = false;
}

void WebEngineBrowser::onUrlChanged(const QUrl& url) {
    // The address is shown; a load still running keeps the pane busy.
    if (url == awaited_)
        awaiting_ = false;
}

WebEngineBrowserFactory::WebEngineBrowserFactory(WebDialogs& dialogs) : dialogs_(dialogs) {}

WebEngineBrowserFactory::~WebEngineBrowserFactory() = default;

WebBrowser* WebEngineBrowserFactory::Create(QWidget* parent) {
    if (!answers_)
        answers_ = std::make_unique<WebPageAnswers>(dialogs_, WebEngineBrowser::SharedProfile());
    auto* browser = new WebEngineBrowser(parent);
    answers_->Serve(browser->page());
    return browser;
}

QWebEngineProfile* WebEngineBrowser::SharedProfile() {
    static QWebEngineProfile* profile = [] {
        auto* shared = new QWebEngineProfile(QStringLiteral("Wavecrest"), qApp);
        forgetOurVariables(); // the engine has started with the profile
        leaveOutUnusedFeatures(shared->settings());
        shared->settings()->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
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
    setUnlessUserDid(kChromiumFlagsVariable,
                     (QByteArray(kEngineFlags) + QuietEngineLogSwitch()).constData());
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
