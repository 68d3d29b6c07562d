#!/usr/bin/env bash
# Configures and builds the project into ./build. Extra arguments go to the
# configure, e.g. -DWAVECREST_STATION_HOST=radio.example.org
# Configuring every time is quick, and it finds tools installed since the last
# time (the test packages after a first run.sh), which a cached "not found"
# would otherwise hide for good.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${WAVECREST_BUILD_DIR:-$root/build}"
cache="$build/CMakeCache.txt"

# The value of one entry of the build folder's cache.
cached() {
    sed -n "s/^$1:[A-Z]*=//p" "$cache"
}

# Whether a recorded path names this folder, as written or with its links resolved.
names() {
    [ "$1" = "$(cd "$2" && pwd)" ] || [ "$1" = "$(cd "$2" && pwd -P)" ]
}

# A checkout moved or copied elsewhere brings a build folder configured for
# its old place, which CMake refuses: that one is set aside for a fresh one.
if [ -f "$cache" ]; then
    made_for="$(cached CMAKE_HOME_DIRECTORY)"
    if ! names "$(cached CMAKE_CACHEFILE_DIR)" "$build" || ! names "$made_for" "$root"; then
        echo "build.sh: $build was configured for $made_for; configuring it afresh for $root."
        rm -rf "$cache" "$build/CMakeFiles"
    fi
fi

first=()
[ -f "$cache" ] || first=(-G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo)
cmake -S "$root" -B "$build" "${first[@]}" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
