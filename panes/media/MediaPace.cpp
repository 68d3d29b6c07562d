#include "MediaPace.h"

#include "panes/DocumentScript.h"

namespace platform {

namespace {
constexpr int kQuarterMs = 250;
constexpr int kChangesPerQuarter = 24;

// Play and pause of the media elements, and the media session's metadata
// and playback state, through one budget; what is over it is made later.
QString paceScript() {
    return QStringLiteral(
               "(function () {"
               "  if (!window.HTMLMediaElement) return;"
               "  var spent = 0, since = 0, later = new Map(), waiting = false;"
               "  var affordable = function () {"
               "    var now = performance.now();"
               "    if (now - since >= %1) { since = now; spent = 0; }"
               "    return ++spent <= %2; };"
               "  var makeLater = function () {"
               "    waiting = false; var due = later; later = new Map();"
               "    due.forEach(function (change) { change(); }); };"
               "  var change = function (key, made) {"
               "    if (affordable()) return made();"
               "    later.delete(key); later.set(key, made);"
               "    if (!waiting) { waiting = true; setTimeout(makeLater, %1); } };"
               "  var media = HTMLMediaElement.prototype, play = media.play, pause = media.pause;"
               "  var keys = new WeakMap();"
               "  var keyOf = function (element) {"
               "    if (!keys.has(element)) keys.set(element, {}); return keys.get(element); };"
               "  media.play = function () { var element = this;"
               "    var made = change(keyOf(element), function () { return play.call(element); });"
               "    return made instanceof Promise ? made : Promise.resolve(); };"
               "  media.pause = function () { var element = this;"
               "    change(keyOf(element), function () { pause.call(element); }); };"
               "  if (!window.MediaSession) return;"
               "  ['metadata', 'playbackState'].forEach(function (name) {"
               "    var own = Object.getOwnPropertyDescriptor(MediaSession.prototype, name);"
               "    if (!own || !own.set) return;"
               "    var key = {};"
               "    Object.defineProperty(MediaSession.prototype, name, {"
               "      get: own.get, configurable: true, enumerable: own.enumerable,"
               "      set: function (value) { var session = this;"
               "        change(key, function () { own.set.call(session, value); }); } });"
               "  });"
               "}());")
        .arg(kQuarterMs)
        .arg(kChangesPerQuarter);
}
} // namespace

void HoldMediaPace(QWebEnginePage* page) {
    AddDocumentScript(page, QStringLiteral("wavecrest-media-pace"), paceScript(),
                      QWebEngineScript::MainWorld, InSubFrames::Yes);
}

} // namespace platform
