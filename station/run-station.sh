#!/bin/sh
# Starts and stops the local Wavecrest station in the background.
#
#   run-station.sh start [station options]   start it, wait until it listens
#   run-station.sh stop                      stop it and wait until it has gone
#   run-station.sh status                    tell whether it runs (exit 0) or not (3)
#   run-station.sh with COMMAND [ARGS...]    start it, run COMMAND, stop it when COMMAND ends
#                                            ($WAVECREST_STATION_OPTIONS: station options)
#
# Station options are those of station.py (see station.py --help), for example
# --root FOLDER for the received songs. The pid file, the log and the ready file
# lie in $WAVECREST_STATION_STATE (default: $XDG_STATE_HOME/wavecrest-station or
# ~/.local/state/wavecrest-station). $WAVECREST_STATION_PYTHON picks the Python
# (default /usr/bin/python3, which has Debian's pyftpdlib).
set -eu

here=$(CDPATH="" cd -- "$(dirname -- "$0")" && pwd)
python=${WAVECREST_STATION_PYTHON:-/usr/bin/python3}
state=${WAVECREST_STATION_STATE:-${XDG_STATE_HOME:-$HOME/.local/state}/wavecrest-station}
pid_file=$state/station.pid
ready_file=$state/ready.json
log_file=$state/station.log
start_seconds=15
stop_seconds=5

running_pid() {
    # The pid from the file, if that process is still our station (pids are reused).
    [ -f "$pid_file" ] || return 1
    pid=$(cat "$pid_file")
    [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null || return 1
    tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -q 'station\.py' || return 1
    echo "$pid"
}

start() {
    if pid=$(running_pid); then
        echo "The station already runs (pid $pid)."
        return 0
    fi
    mkdir -p "$state"
    rm -f "$ready_file"
    # setsid: a Ctrl+C meant for the program started beside the station does
    # not reach the station; "stop" ends it.
    setsid "$python" "$here/station.py" --ready-file "$ready_file" "$@" \
        >"$log_file" 2>&1 </dev/null &
    echo $! >"$pid_file"
    waited=0
    while [ ! -f "$ready_file" ]; do
        if ! kill -0 "$(cat "$pid_file")" 2>/dev/null || [ "$waited" -ge $((start_seconds * 10)) ]; then
            echo "The station did not start; its log ($log_file) says:" >&2
            cat "$log_file" >&2
            stop >/dev/null
            return 1
        fi
        sleep 0.1
        waited=$((waited + 1))
    done
    echo "The station runs (pid $(cat "$pid_file")): $(sed -n 's/.*"url": "\([^"]*\)".*/\1/p' "$ready_file")"
}

stop() {
    if ! pid=$(running_pid); then
        rm -f "$pid_file"
        echo "The station does not run."
        return 0
    fi
    kill -TERM "$pid"
    waited=0
    while kill -0 "$pid" 2>/dev/null && [ "$waited" -lt $((stop_seconds * 10)) ]; do
        sleep 0.1
        waited=$((waited + 1))
    done
    if kill -0 "$pid" 2>/dev/null; then
        kill -KILL "$pid"
    fi
    rm -f "$pid_file" "$ready_file"
    echo "The station has stopped."
}

status() {
    if pid=$(running_pid); then
        echo "The station runs (pid $pid)."
    else
        echo "The station does not run."
        return 3
    fi
}

with() {
    [ $# -gt 0 ] || { echo "with: which command?" >&2; return 2; }
    if pid=$(running_pid); then
        # Someone else's station: use it and leave it running.
        echo "Using the station that already runs (pid $pid)."
        "$@"
        return
    fi
    # Watching this shell as well ends the station even if this script is killed.
    # shellcheck disable=SC2086 # the options are meant to be split into words
    start --watch-pid $$ ${WAVECREST_STATION_OPTIONS:-}
    trap 'stop >/dev/null' EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    set +e
    "$@"
    outcome=$?
    set -e
    return $outcome
}

command=${1:-}
[ $# -gt 0 ] && shift
case $command in
start) start "$@" ;;
stop) stop ;;
status) status ;;
with) with "$@" ;;
*)
    sed -n '2,13s/^# \{0,1\}//p' "$0" >&2
    exit 2
    ;;
esac
