#!/usr/bin/env bash
# Runs a command on a private X server: the one way Wavecrest's real windows
# are shown without a display (tests, run.sh on a server, the benchmark).
# Xvfb picks a free display number itself (-displayfd), so parallel runs
# never race for one, and the command starts once the server answers. The
# server ends with the command; the command's exit status is returned.
# WAVECREST_XVFB_SCREEN sets the screen (1280x1024x24), WAVECREST_XVFB_WM
# names a window manager to run on it (openbox).
#   with-xvfb.sh COMMAND [ARG...]
set -euo pipefail
command -v Xvfb >/dev/null || { echo "SKIPPED: Xvfb is not installed (xvfb)"; exit 77; }
work="$(mktemp -d)"
server=""
stop_server() {
    [ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
    rm -rf "$work"
}
trap stop_server EXIT
trap 'exit 143' TERM INT
mkfifo "$work/display"
# -noreset: a server that resets as its last client goes refuses the next
# one for a moment (a test that starts one program after another).
Xvfb -displayfd 3 -screen 0 "${WAVECREST_XVFB_SCREEN:-1280x1024x24}" -nolisten tcp -noreset \
    3>"$work/display" >"$work/xvfb.log" 2>&1 &
server=$!
if ! read -r -t 60 number <"$work/display" || [ -z "$number" ]; then
    echo "Xvfb did not start:" >&2
    cat "$work/xvfb.log" >&2
    exit 1
fi
unset WAYLAND_DISPLAY
export DISPLAY=":$number"
# A window manager on the server, for windows framed as on a desktop.
if [ -n "${WAVECREST_XVFB_WM:-}" ]; then
    command -v "$WAVECREST_XVFB_WM" >/dev/null ||
        { echo "SKIPPED: $WAVECREST_XVFB_WM is not installed"; exit 77; }
    "$WAVECREST_XVFB_WM" >"$work/wm.log" 2>&1 &
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
        sleep 0.1
    done
fi
status=0
"$@" || status=$?
exit "$status"
