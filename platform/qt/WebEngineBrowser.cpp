#include "WebEngineBrowser.h"

#include <QCoreApplication>
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
// How long a navigation may take to begin before it counts as never started
// (an address the engine rejects without loading anything).
constexpr int kStartTimeoutMs = 10000;
} // namespace

WebEngineBrowser::WebEngineBrowser(QWidget* parent) : view_(new QWebEngineView(parent)) {
    setParent(view_);
    auto* page = new QWebEnginePage(SharedProfile(), view_);
    view_->setPage(page);
    view_->setFocusPolicy(Qt::StrongFocus);
    QObject::connect(page, &QWebEnginePage::loadingChanged, this,
                     [this](const QWebEngineLoadingInfo& info) { onLoadingChanged(info); });
    startWatch_.setSingleShot(true);
    startWatch_.setInterval(kStartTimeoutMs);
    QObject::connect(&startWatch_, &QTimer::timeout, this, [this] { navigationPending_ = false; });
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
    navigationPending_ = true;
    startWatch_.start();
    view_->load(url);
}

void WebEngineBrowser::Refresh() { view_->reload(); }

void WebEngineBrowser::Stop() {
    navigationPending_ = false;
    loadsRunning_ = 0; // the load has ended, even before the engine reports it
    startWatch_.stop();
    view_->stop();
}

bool WebEngineBrowser::Busy() const { return navigationPending_ || loadsRunning_ > 0; }

QString WebEngineBrowser::LocationName() const { return view_->title(); }

QWidget* WebEngineBrowser::widget() { return view_; }

void WebEngineBrowser::onLoadingChanged(const QWebEngineLoadingInfo& info) {
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
        navigationPending_ = false;
        startWatch_.stop();
        loadsRunning_ = 1;
    } else {
        loadsRunning_ = 0;
    }
}

QWebEngineProfile* WebEngineBrowser::SharedProfile() {
    static QWebEngineProfile* profile = [] {
        auto* shared = new QWebEngineProfile(QStringLiteral("Wavecrest"), qApp);
        shared->settings()->setAttribute(QWebEngineSettings::PluginsEnabled, false);
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
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

} // namespace platform
