#include "MediaPublisher.h"

#include "PageMediaReader.h"

#include "panes/PanePage.h"

#include <QWebEngineView>

namespace platform {

MediaPublisher::MediaPublisher(std::unique_ptr<MediaControls> controls)
    : controls_(std::move(controls)) {
    controls_->onAction = [this](MediaAction action) {
        if (PageMediaReader* pane = shown())
            pane->Act(action);
    };
    controls_->onRaise = [this] { raise(); };
}

MediaPublisher::~MediaPublisher() = default;

void MediaPublisher::Follow(PanePage* page) {
    panes_.removeIf([](const QPointer<PageMediaReader>& gone) { return !gone; });
    auto* pane = new PageMediaReader(page);
    panes_.append(pane);
    connect(pane, &PageMediaReader::changed, this, [this, pane](bool started) {
        if (started)
            lastPlaying_ = pane;
        showCurrent();
    });
    // A pane that goes with its window leaves the desktop to the others.
    connect(
        pane, &QObject::destroyed, this, [this] { showCurrent(); }, Qt::QueuedConnection);
}

void MediaPublisher::showCurrent() {
    const PageMediaReader* now = shown();
    controls_->Show(now ? now->state() : MediaState{});
}

PageMediaReader* MediaPublisher::shown() const {
    const auto playing = [](const QPointer<PageMediaReader>& pane) {
        return pane && pane->state().playback == MediaState::Playback::Playing;
    };
    if (playing(lastPlaying_))
        return lastPlaying_;
    for (const auto& pane : panes_)
        if (playing(pane))
            return pane;
    if (lastPlaying_)
        return lastPlaying_;
    for (const auto& pane : panes_)
        if (pane)
            return pane;
    return nullptr;
}

void MediaPublisher::raise() {
    for (const auto& pane : panes_) {
        QWidget* view = pane ? QWebEngineView::forPage(pane->page()) : nullptr;
        if (!view)
            continue;
        QWidget* window = view->window();
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
        window->show();
        window->raise();
        window->activateWindow();
        return;
    }
}

} // namespace platform
