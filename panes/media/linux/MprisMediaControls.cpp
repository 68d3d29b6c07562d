#include "MprisMediaControls.h"

#include "ProjectSettings.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <utility>

namespace platform {

namespace {

const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

// One name per running program: two running programs are two players.
QString serviceName() {
    return QStringLiteral("org.mpris.MediaPlayer2.wavecrest.instance%1")
        .arg(QCoreApplication::applicationPid());
}

QString playbackName(MediaState::Playback playback) {
    switch (playback) {
    case MediaState::Playback::Playing:
        return QStringLiteral("Playing");
    case MediaState::Playback::Paused:
        return QStringLiteral("Paused");
    case MediaState::Playback::Stopped:
        break;
    }
    return QStringLiteral("Stopped");
}

} // namespace

MprisRoot::MprisRoot(QObject* host, MprisMediaControls& controls)
    : QDBusAbstractAdaptor(host), controls_(controls) {}

QString MprisRoot::identity() const {
    return QString::fromUtf8(settings::kTitle);
}

QString MprisRoot::desktopEntry() const {
    return QString::fromUtf8(settings::kDesktopId);
}

void MprisRoot::Raise() {
    if (controls_.onRaise)
        controls_.onRaise();
}

MprisPlayer::MprisPlayer(QObject* host, MprisMediaControls& controls)
    : QDBusAbstractAdaptor(host), controls_(controls) {}

QString MprisPlayer::playbackStatus() const {
    return playbackName(controls_.state().playback);
}

QVariantMap MprisPlayer::metadata() const {
    const MediaState& state = controls_.state();
    QVariantMap data;
    data.insert(QStringLiteral("mpris:trackid"),
                QVariant::fromValue(QDBusObjectPath("/org/wavecrest/Wavecrest/Track/Shown")));
    if (!state.title.isEmpty())
        data.insert(QStringLiteral("xesam:title"), state.title);
    if (!state.artist.isEmpty())
        data.insert(QStringLiteral("xesam:artist"), QStringList{state.artist});
    if (!state.album.isEmpty())
        data.insert(QStringLiteral("xesam:album"), state.album);
    if (state.artwork.isValid())
        data.insert(QStringLiteral("mpris:artUrl"), state.artwork.toString());
    // A live show has no length, so none is given.
    if (state.lengthUs > 0)
        data.insert(QStringLiteral("mpris:length"), state.lengthUs);
    return data;
}

bool MprisPlayer::controllable() const {
    return controls_.state().controllable;
}

void MprisPlayer::act(MediaAction action) {
    if (controls_.onAction)
        controls_.onAction(action);
}

void MprisPlayer::Play() {
    act(MediaAction::Play);
}

void MprisPlayer::Pause() {
    act(MediaAction::Pause);
}

void MprisPlayer::PlayPause() {
    act(MediaAction::PlayPause);
}

void MprisPlayer::Stop() {
    act(MediaAction::Stop);
}

MprisMediaControls::MprisMediaControls() {
    new MprisRoot(&host_, *this);
    player_ = new MprisPlayer(&host_, *this);
    // Without a session bus there are no media controls to show us.
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.registerObject(kObjectPath, &host_, QDBusConnection::ExportAdaptors))
        bus.registerService(serviceName());
}

MprisMediaControls::~MprisMediaControls() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(serviceName());
    bus.unregisterObject(kObjectPath);
}

void MprisMediaControls::Show(const MediaState& state) {
    if (state == state_)
        return;
    const MediaState before = std::exchange(state_, state);
    // The desktop learns of a change only from this signal.
    QVariantMap changed;
    if (before.playback != state.playback)
        changed.insert(QStringLiteral("PlaybackStatus"), player_->playbackStatus());
    if (before.controllable != state.controllable) {
        changed.insert(QStringLiteral("CanPlay"), state.controllable);
        changed.insert(QStringLiteral("CanPause"), state.controllable);
    }
    changed.insert(QStringLiteral("Metadata"), player_->metadata());
    QDBusMessage signal =
        QDBusMessage::createSignal(kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << kPlayerInterface << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

std::unique_ptr<MediaControls> MakeMediaControls() {
    return std::make_unique<MprisMediaControls>();
}

// The engine's own player names no desktop entry; ours replaces it.
const char* EngineMediaControlsFeature() {
    return "HardwareMediaKeyHandling";
}

} // namespace platform
