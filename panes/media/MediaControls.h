#pragma once
// The desktop's media controls (and the keyboard's media keys): what plays
// in the panes, shown where the desktop shows players, and the desktop's
// Play and Pause handed back to the pane. One implementation per system,
// chosen when building; this base shows nothing and leaves the engine's own
// controls in place.
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>

namespace platform {

struct MediaState {
    enum class Playback { Stopped, Paused, Playing };
    Playback playback = Playback::Stopped;
    QString title;
    QString artist;
    QString album;
    QUrl artwork;
    qint64 lengthUs = 0;       // 0: none known, as for a live stream
    bool controllable = false; // the desktop's Play and Pause reach the player
    friend bool operator==(const MediaState&, const MediaState&) = default;
};

enum class MediaAction { Play, Pause, PlayPause, Stop };

class MediaControls {
public:
    virtual ~MediaControls() = default;
    // What the desktop shows from now on.
    virtual void Show(const MediaState&) {}

    // The desktop asked for this; set by whoever follows the panes.
    std::function<void(MediaAction)> onAction;
    // The desktop asked to bring the program's window to the front.
    std::function<void()> onRaise;
};

// This system's media controls, made after the application.
std::unique_ptr<MediaControls> MakeMediaControls();
// The engine feature to turn off where our controls replace the engine's,
// empty where the engine's stay (before the application).
const char* EngineMediaControlsFeature();

} // namespace platform
