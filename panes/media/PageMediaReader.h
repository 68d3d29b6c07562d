#pragma once
// What plays in the panes, for the desktop's media controls. Each pane's
// page is read from a script world of ours, so the page never sees it: its
// media session's metadata (title, artist, album, artwork) and its audio
// and video elements. The desktop's Play and Pause act on those elements.
// A player whose elements are not in its document (audio made only in
// script) shows as playing when the page says so, but cannot be paused
// from the desktop.
// The page sets the pace of none of this: its media changes are read a few
// times a second at most, however often they come. Its texts reach the
// desktop cleaned and bounded (MediaText), its artwork as a file the pane
// fetched itself (ArtworkFetcher).
#include "MediaControls.h"

#include <QObject>
#include <QTimer>
#include <QVariant>

namespace platform {

class ArtworkFetcher;
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
    // What the read script's answer says, every text cleaned and bounded;
    // without artwork, which is the page's address.
    static MediaState StateFromAnswer(const QVariant& answer, const QString& pageTitle);
    // The artwork address the answer names, as the page wrote it.
    static QUrl ArtworkFromAnswer(const QVariant& answer);
    // How long a text the desktop gets may be.
    static constexpr int kTextLimit = 512;
    // The least time between two reads of a page.
    static constexpr int kRereadAfterMs = 250;

Q_SIGNALS:
    // What the pane plays changed; `started` when it has just begun playing.
    void changed(bool started);

private:
    void read();
    void readAnswer(const QVariant& answer);
    void update(MediaState now);

    PanePage* page_;
    MediaState state_;
    QTimer reread_;
    ArtworkFetcher* artwork_;
};

} // namespace platform
