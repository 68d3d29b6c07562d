#include "PageGarbage.h"

#include <QWebEnginePage>
#include <QWebEngineScript>

namespace platform {

namespace {

#define WAVECREST_COLLECTOR "wavecrestCollectGarbage"

// Often enough that an animated page stays within tens of megabytes; a
// collection of such a page takes a few milliseconds.
constexpr int kCollectEveryMs = 30 * 1000;

} // namespace

const char* GarbageCollectorSwitch() {
    return "--js-flags=--expose-gc-as=" WAVECREST_COLLECTOR;
}

PageGarbageCollector::PageGarbageCollector(QWebEnginePage* page) : QObject(page), page_(page) {
    connect(&timer_, &QTimer::timeout, this, [this] {
        // In a world of ours: the page's scripts never see this call. An
        // engine started without the switch (the user's own flags) has no
        // collector, and the call does nothing.
        page_->runJavaScript(QStringLiteral("typeof " WAVECREST_COLLECTOR
                                            " === 'function' && " WAVECREST_COLLECTOR "()"),
                             QWebEngineScript::ApplicationWorld);
    });
    timer_.start(kCollectEveryMs);
}

} // namespace platform
