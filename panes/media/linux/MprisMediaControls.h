#pragma once
// The desktop's media controls on Linux desktops: an MPRIS player of our
// own on the session bus, tied to Wavecrest's desktop entry. It replaces the
// engine's, which names no desktop entry.
#include "panes/media/MediaControls.h"

#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

namespace platform {

class MprisMediaControls;

// org.mpris.MediaPlayer2: who we are.
class MprisRoot : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ no CONSTANT)
    Q_PROPERTY(bool CanRaise READ yes CONSTANT)
    Q_PROPERTY(bool HasTrackList READ no CONSTANT)
    Q_PROPERTY(QString Identity READ identity CONSTANT)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry CONSTANT)
    Q_PROPERTY(QStringList SupportedUriSchemes READ none CONSTANT)
    Q_PROPERTY(QStringList SupportedMimeTypes READ none CONSTANT)
public:
    MprisRoot(QObject* host, MprisMediaControls& controls);
    bool no() const { return false; }
    bool yes() const { return true; }
    QString identity() const;
    QString desktopEntry() const;
    QStringList none() const { return {}; }

public Q_SLOTS:
    void Raise();
    void Quit() {}

private:
    MprisMediaControls& controls_;
};

// org.mpris.MediaPlayer2.Player: what plays, and Play and Pause.
class MprisPlayer : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Rate READ one CONSTANT)
    Q_PROPERTY(double MinimumRate READ one CONSTANT)
    Q_PROPERTY(double MaximumRate READ one CONSTANT)
    Q_PROPERTY(double Volume READ one CONSTANT)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(bool CanGoNext READ no CONSTANT)
    Q_PROPERTY(bool CanGoPrevious READ no CONSTANT)
    Q_PROPERTY(bool CanPlay READ controllable)
    Q_PROPERTY(bool CanPause READ controllable)
    Q_PROPERTY(bool CanSeek READ no CONSTANT)
    Q_PROPERTY(bool CanControl READ yes CONSTANT)
public:
    MprisPlayer(QObject* host, MprisMediaControls& controls);
    QString playbackStatus() const;
    QVariantMap metadata() const;
    double one() const { return 1.0; }
    qlonglong position() const { return 0; }
    bool no() const { return false; }
    bool yes() const { return true; }
    bool controllable() const;

public Q_SLOTS:
    void Play();
    void Pause();
    void PlayPause();
    void Stop();
    void Next() {}
    void Previous() {}
    void Seek(qlonglong) {}
    void SetPosition(const QDBusObjectPath&, qlonglong) {}
    void OpenUri(const QString&) {}

Q_SIGNALS:
    void Seeked(qlonglong position);

private:
    void act(MediaAction action);
    MprisMediaControls& controls_;
};

class MprisMediaControls final : public MediaControls {
public:
    MprisMediaControls();
    ~MprisMediaControls() override;
    void Show(const MediaState& state) override;
    const MediaState& state() const { return state_; }

private:
    QObject host_; // carries both interfaces at the player's object path
    MediaState state_;
    MprisPlayer* player_;
};

} // namespace platform
