#!/usr/bin/env bash
# Runs the Windows test programs under Wine (named by WINE and WINESERVER), in
# one prefix per test run. Exit 77 means skipped.
#   wine.sh setup|cleanup PREFIX           make the prefix / stop its server and remove it
#   wine.sh run PREFIX PROGRAM [ARG...]    run a Windows program there
#   wine.sh regdiff PREFIX REGFILE QUERIES NATIVE_DUMPER WINDOWS_DUMPER
#       import REGFILE with Wine's regedit; the two dumpers' outputs must be equal
set -u
action=$1
prefix=$2
shift 2
export WINEPREFIX="$prefix" WINEDEBUG=-all
# No prompts to install Mono or Gecko: nothing here needs them.
export WINEDLLOVERRIDES="mscoree,mshtml="
ready="$prefix/.wavecrest-ready"

skip() {
    echo "SKIPPED: $*"
    exit 77
}

windows_path() {
    local path
    path=$(realpath -m "$1")
    echo "Z:${path//\//\\}"
}

need_prefix() {
    [ -f "$ready" ] || skip "no Wine prefix (Wine could not start)"
}

case "$action" in
setup)
    rm -rf "$prefix"
    mkdir -p "$prefix"
    if ! timeout 240 "$WINE" wineboot --init </dev/null >"$prefix.log" 2>&1 ||
        ! timeout 60 "$WINE" cmd /c exit 0 </dev/null >>"$prefix.log" 2>&1; then
        cat "$prefix.log"
        "$WINESERVER" -k 2>/dev/null
        rm -rf "$prefix"
        skip "Wine cannot start on this machine"
    fi
    "$WINESERVER" -w
    touch "$ready"
    echo "Wine prefix ready: $("$WINE" --version)"
    ;;
cleanup)
    [ -d "$prefix" ] && "$WINESERVER" -k 2>/dev/null
    rm -rf "$prefix" "$prefix.log"
    ;;
run)
    need_prefix
    exec timeout 150 "$WINE" "$@" </dev/null
    ;;
regdiff)
    need_prefix
    regfile=$1 queries=$2 native=$3 windows=$4
    expected=$("$native" "$queries" "$regfile") || exit 1
    timeout 100 "$WINE" regedit /s "$(windows_path "$regfile")" </dev/null || {
        echo "regedit failed to import $regfile"
        exit 1
    }
    actual=$(timeout 100 "$WINE" "$windows" "$(windows_path "$queries")" </dev/null) || exit 1
    diff -u --label "stand-in (Linux)" <(echo "$expected") --label "advapi32 (Wine)" \
        <(echo "$actual") || exit 1
    echo "identical: $(grep -c '^value' <<<"$expected") values, $(grep -c '^key' <<<"$expected") keys"
    ;;
*)
    echo "unknown action $action"
    exit 2
    ;;
esac
