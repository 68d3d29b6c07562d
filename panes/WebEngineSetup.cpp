#include "WebEngineSetup.h"

#include "PageGarbage.h"
#include "panes/media/MediaControls.h"
#include "ui/Diagnostics.h"

#include <QCoreApplication>
#include <QList>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
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
} // namespace

QWebEngineProfile* SharedWebProfile() {
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
