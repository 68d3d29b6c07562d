#!/usr/bin/env bash
# Redraws the README's pictures from a headless run against the local
# station: the main window, the uploader with songs staged, and the transcript
# window while a send goes over a slow line, from the programs that
# scripts/build.sh made. Writes docs/screenshots/*.png.
#   screenshots.sh
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${WAVECREST_BUILD_DIR:-$root/build}"
for program in Wavecrest ftp.exe ftp_window.so sendfiles.ftps; do
    [ -e "$build/bin/$program" ] || { echo "screenshots.sh: build first (scripts/build.sh)." >&2; exit 1; }
done
out="$root/docs/screenshots"
source "$root/scripts/background.sh"
mkdir -p "$out"

if (exec 3<>/dev/tcp/127.0.0.1/8642) 2>/dev/null; then
    echo "screenshots.sh: something already answers on 127.0.0.1:8642; stop it first." >&2
    exit 1
fi
# A slow line, so that the send is caught under way.
/usr/bin/python3 "$root/station/station.py" --quiet --root "$work/received" \
    --ftp-rate 1000000 --ready-file "$work/station.ready" &
pids+=($!)
for _ in $(seq 100); do
    [ -f "$work/station.ready" ] && break
    sleep 0.1
done
[ -f "$work/station.ready" ] || { echo "screenshots.sh: the station did not start." >&2; exit 1; }

# The app folder: a copy of the build's programs, with songs to stage.
app="$work/app"
mkdir -p "$app/temp" "$work/music"
cp -r "$build/bin/." "$app/"
for song in "Harbour Lights" "Night Ferry" "Tidal Clock"; do
    head -c 12000000 /dev/urandom >"$app/temp/$song.mp3"
done
export app out root

# Runs on the private X server of with-xvfb.sh.
shoot() {
    set -euo pipefail
    export QTWEBENGINE_DISABLE_SANDBOX=1
    # A window's picture, once `ready` (a command given the window id) says so.
    picture() {
        local window="$1" name="$2" ready="$3"
        for _ in $(seq 300); do
            "$ready" "$window" && break
            sleep 0.1
        done
        sleep 1 # lets the window finish painting
        import -window "$window" -strip "$out/$name.png"
        echo "docs/screenshots/$name.png"
    }
    chat_loaded() {
        case "$(xdotool getwindowname "$1")" in "" | Form1 | Working...) return 1 ;; esac
    }
    shown() { true; }
    under_way() { find "$received" -type f -size +5000k | grep -q .; }

    "$app/Wavecrest" &
    local main=$!
    picture "$(xdotool search --sync --onlyvisible --pid "$main" | head -n 1)" main-window chat_loaded
    kill "$main"
    wait "$main" || true

    "$app/Wavecrest" -MusicUploader &
    local uploader=$!
    picture "$(xdotool search --sync --onlyvisible --name '^Music Uploader$')" uploader shown
    kill "$uploader"
    wait "$uploader" || true

    # The uploader's Send, with the transcript window shown where a desktop
    # would show it minimized.
    (cd "$app" && WAVECREST_SHOW_WINDOW=1 ./ftp.exe -s:sendfiles.ftps) &
    local send=$!
    picture "$(xdotool search --sync --onlyvisible --pid "$send" | head -n 1)" transcript under_way
    kill "$send"
    wait "$send" || true
}
export -f shoot
export received="$work/received"
"$root/scripts/with-xvfb.sh" bash -c shoot
