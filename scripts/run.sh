#!/usr/bin/env bash
# Installs what is needed, builds, starts the local station, then Wavecrest.
# The station stops when Wavecrest ends. Without a display the program runs
# under Xvfb, a screenshot of the main window is saved once the chat page
# has loaded, and the program is closed.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh" packages.txt
"$root/scripts/build.sh"
build="${WAVECREST_BUILD_DIR:-$root/build}"
program="$build/bin/Wavecrest"
source "$root/scripts/background.sh"

start_station() {
    local station="$root/station/station.py"
    [ -f "$station" ] || return 0
    if (exec 3<>/dev/tcp/127.0.0.1/8642) 2>/dev/null; then
        echo "A station already answers on 127.0.0.1:8642; using it."
        return 0
    fi
    /usr/bin/python3 "$station" --quiet --ready-file "$work/station.ready" &
    pids+=($!)
    for _ in $(seq 100); do
        [ -f "$work/station.ready" ] && return 0
        sleep 0.1
    done
    echo "The local station did not start; Wavecrest runs without it." >&2
}

# Waits until the main window's title is the chat page's own title.
wait_for_chat_title() {
    local window title
    window="$(timeout 30 xdotool search --sync --onlyvisible --class Wavecrest | head -n 1)" ||
        return 1
    for _ in $(seq 300); do
        title="$(xdotool getwindowname "$window" 2>/dev/null || true)"
        case "$title" in "" | Form1 | Working...) ;; *) echo "$window"; return 0 ;; esac
        sleep 0.1
    done
    return 1
}

# Runs on the private X server of with-xvfb.sh.
screenshot_run() {
    "$program" "$@" &
    local app=$! shot="$root/wavecrest-screenshot.png" window
    if window="$(wait_for_chat_title)"; then
        sleep 1 # lets the page finish painting
        import -window "$window" "$shot"
        echo "The chat page has loaded; title: \"$(xdotool getwindowname "$window")\"."
        echo "Screenshot of the main window: $shot"
    else
        echo "The chat page did not load within 30 seconds." >&2
    fi
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
}

run_headless() {
    "$root/scripts/setup.sh" packages-headless.txt
    echo "No display found: running Wavecrest under Xvfb."
    export -f screenshot_run wait_for_chat_title
    export root program
    "$root/scripts/with-xvfb.sh" bash -c 'screenshot_run "$@"' screenshot_run "$@"
}

start_station
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    run_headless "$@"
else
    "$program" "$@"
fi
