#include "PageMediaReader.h"

#include "ArtworkFetcher.h"
#include "MediaPace.h"
#include "MediaText.h"
#include "panes/DocumentScript.h"
#include "panes/PanePage.h"
#include "panes/WebAddress.h"

namespace platform {

namespace {

// A page's texts are its own to make long: what leaves the page's process
// is cut to this, enough for a text of the bound once cleaned.
constexpr int kReadLimit = 4 * PageMediaReader::kTextLimit;
constexpr int kAddressLimit = 2048;
// While a pane plays, what is on air may change without an event of the
// media elements (a live show's next song): read again now and then.
constexpr int kRereadWhilePlayingMs = 10 * 1000;

// In our world from the document's start: media events tell us to read.
// They do not bubble, so they are heard while they pass the document. A
// page that flips its media thousands of times a second sends one note
// per pause between reads: the notes cross to the program's process.
QString watchScript() {
    return QStringLiteral(
               "(function () {"
               "  var waiting = false;"
               "  var send = function () { waiting = false; console.debug('%1'); };"
               "  var note = function () {"
               "    if (!waiting) { waiting = true; setTimeout(send, %2); } };"
               "  ['play', 'playing', 'pause', 'ended', 'emptied', 'durationchange']"
               "    .forEach(function (t) { document.addEventListener(t, note, true); });"
               "}());")
        .arg(PageMediaReader::ChangeNote())
        .arg(PageMediaReader::kRereadAfterMs);
}

// The page's audio and video elements, as an array.
#define WAVECREST_MEDIA_ELEMENTS                                                                   \
    "Array.prototype.slice.call(document.querySelectorAll('audio, video'))"

// Our world's view of the page: its own getters cannot be replaced by the
// page, and every text is cut before it leaves the page's process.
const QString& readScript() {
    static const QString script =
        QStringLiteral(
            "(function () {"
            "  var cut = function (text, most) { return String(text || '').slice(0, most); };"
            "  var session = navigator.mediaSession, about = session && session.metadata;"
            "  var media = " WAVECREST_MEDIA_ELEMENTS ";"
            "  var playing = media.filter(function (e) { return !e.paused && !e.ended; });"
            "  var shown = playing[0] || media[0];"
            "  var art = about && about.artwork.length ? about.artwork.slice(-1)[0].src : '';"
            "  return { title: cut(about && about.title, %1),"
            "    artist: cut(about && about.artist, %1), album: cut(about && about.album, %1),"
            "    artwork: cut(art, %2),"
            "    said: session ? session.playbackState : 'none', media: media.length,"
            "    playing: playing.length,"
            "    seconds: shown && isFinite(shown.duration) ? shown.duration : 0 };"
            "}())")
            .arg(kReadLimit)
            .arg(kAddressLimit);
    return script;
}

QString actionScript(MediaAction action) {
    // Play starts the first element; Pause and Stop pause every one.
    static const QString pauseAll =
        QStringLiteral("media.forEach(function (e) { if (!e.paused) e.pause(); });");
    static const QString playFirst =
        QStringLiteral("if (media.length) media[0].play().catch(function () {});");
    QString body;
    switch (action) {
    case MediaAction::Play:
        body = playFirst;
        break;
    case MediaAction::Pause:
    case MediaAction::Stop:
        body = pauseAll;
        break;
    case MediaAction::PlayPause:
        body = QStringLiteral("if (media.some(function (e) { return !e.paused; })) { %1 } "
                              "else { %2 }")
                   .arg(pauseAll, playFirst);
        break;
    }
    return QStringLiteral("(function () { var media = " WAVECREST_MEDIA_ELEMENTS "; %1 }())")
        .arg(body);
}

QString bounded(const QString& text) {
    return CleanMediaText(text, PageMediaReader::kTextLimit);
}

} // namespace

const QString& PageMediaReader::ChangeNote() {
    static const QString note = QStringLiteral("wavecrest:media-changed");
    return note;
}

MediaState PageMediaReader::StateFromAnswer(const QVariant& answer, const QString& pageTitle) {
    const QVariantMap read = answer.toMap();
    MediaState state;
    const bool hasMedia = read.value(QStringLiteral("media")).toInt() > 0;
    const QString said = read.value(QStringLiteral("said")).toString();
    if (read.value(QStringLiteral("playing")).toInt() > 0 || said == QLatin1String("playing"))
        state.playback = MediaState::Playback::Playing;
    else if (hasMedia || said == QLatin1String("paused"))
        state.playback = MediaState::Playback::Paused;
    state.title = bounded(read.value(QStringLiteral("title")).toString());
    if (state.title.isEmpty() && state.playback != MediaState::Playback::Stopped)
        state.title = bounded(pageTitle);
    state.artist = bounded(read.value(QStringLiteral("artist")).toString());
    state.album = bounded(read.value(QStringLiteral("album")).toString());
    const double seconds = read.value(QStringLiteral("seconds")).toDouble();
    if (seconds > 0 && seconds < 1e9)
        state.lengthUs = static_cast<qint64>(seconds * 1e6);
    state.controllable = hasMedia;
    return state;
}

QUrl PageMediaReader::ArtworkFromAnswer(const QVariant& answer) {
    const QUrl artwork(answer.toMap().value(QStringLiteral("artwork")).toString());
    return IsWebAddress(artwork) ? artwork : QUrl();
}

PageMediaReader::PageMediaReader(PanePage* page)
    : QObject(page), page_(page), artwork_(new ArtworkFetcher(page->profile(), this)) {
    AddDocumentScript(page_, QStringLiteral("wavecrest-media"), watchScript(),
                      QWebEngineScript::ApplicationWorld);
    HoldMediaPace(page_);

    page_->onMediaChange = [this] { Reread(); };
    reread_.setSingleShot(true);
    connect(&reread_, &QTimer::timeout, this, [this] { read(); });
    connect(page_, &QWebEnginePage::loadFinished, this, [this] { Reread(); });
    connect(page_, &QWebEnginePage::titleChanged, this, [this] { Reread(); });
    connect(page_, &QWebEnginePage::renderProcessTerminated, this, [this] { Reread(); });
    connect(artwork_, &ArtworkFetcher::changed, this, [this] {
        MediaState now = state_;
        now.artwork = artwork_->File();
        update(std::move(now));
    });
}

void PageMediaReader::Reread() {
    if (!reread_.isActive() || reread_.remainingTime() > kRereadAfterMs)
        reread_.start(kRereadAfterMs);
}

void PageMediaReader::read() {
    // Reads follow one another through the page's process, so their answers
    // come in order; the timer spaces them.
    QPointer<PageMediaReader> self(this);
    page_->runJavaScript(readScript(), QWebEngineScript::ApplicationWorld,
                         [self](const QVariant& answer) {
                             if (self)
                                 self->readAnswer(answer);
                         });
}

void PageMediaReader::readAnswer(const QVariant& answer) {
    MediaState now = StateFromAnswer(answer, page_->title());
    if (now.playback == MediaState::Playback::Playing)
        reread_.start(kRereadWhilePlayingMs);
    artwork_->Follow(ArtworkFromAnswer(answer), page_->url());
    now.artwork = artwork_->File();
    update(std::move(now));
}

void PageMediaReader::update(MediaState now) {
    if (now == state_)
        return;
    const auto playing = MediaState::Playback::Playing;
    const bool started = now.playback == playing && state_.playback != playing;
    state_ = std::move(now);
    Q_EMIT changed(started);
}

void PageMediaReader::Act(MediaAction action) {
    page_->runJavaScript(actionScript(action), QWebEngineScript::ApplicationWorld);
}

} // namespace platform
