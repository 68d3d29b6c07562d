# Sourced by scripts that start programs in the background: a work folder of
# their own and those programs' pids, stopped in the reverse order at exit (a
# program before the display and the station it depends on), each waited for
# before the next, then the work folder removed.
work="$(mktemp -d)"
pids=()

stop_background() {
    local i
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap stop_background EXIT
