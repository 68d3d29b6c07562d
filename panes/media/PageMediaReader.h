#pragma once
// What plays in the panes, for the desktop's media controls. Each pane's
// page is read from a script world of ours, so the page never sees it: its
// media session's metadata (title, artist, album, artwork) and its audio
// and video elements. The desktop's Play and Pause act on those elements.
// A player whose elements are not in its document (audio made only in
// script) shows as playing when the page says so, but cannot be paused
// from the desktop.
#include "MediaControls.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QVariant>
#include <memory>

class QWebEnginePage;

namespace platform {

class PanePage;

class PageMediaReader : public QObject {
    Q_OBJECT
public:
    explicit PageMediaReader(PanePage* page);
    const MediaState& state() const { return state_; }
    PanePage* page() const { return page_; }
    void Act(MediaAction action);
    // Reads the page again soon; many calls in a row read it once.
    void Reread();

    // The console line our script writes when the page's media change.
    static const QString& ChangeNote();
    // What the read script's answer says, every text bounded.
    static MediaState StateFromAnswer(const QVariant& answer, const QString& pageTitle);

Q_SIGNALS:
    // What the pane plays changed; `started` when it has just begun playing.
    void changed(bool started);

private:
    void read();

    PanePage* page_;
    MediaState state_;
    QTimer reread_;
};

// Follows every pane and shows the desktop the one that plays (the one that
// started playing last if two do), else the one that played last, else the
// first. The desktop's Raise brings the panes' window to the front.
class MediaPublisher : public QObject {
public:
    explicit MediaPublisher(std::unique_ptr<MediaControls> controls);
    ~MediaPublisher() override;
    void Follow(PanePage* page);

private:
    PageMediaReader* shown() const;
    void showCurrent();
    void raise();

    std::unique_ptr<MediaControls> controls_;
    QList<QPointer<PageMediaReader>> panes_;
    QPointer<PageMediaReader> lastPlaying_;
};

} // namespace platform
