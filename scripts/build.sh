#!/usr/bin/env bash
# Configures and builds the project into ./build. Extra arguments go to the
# configure, e.g. -DWAVECREST_STATION_HOST=radio.example.org
# Configuring every time is quick, and it finds tools installed since the last
# time (the test packages after a first run.sh), which a cached "not found"
# would otherwise hide for good.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${WAVECREST_BUILD_DIR:-$root/build}"
first=()
[ -f "$build/CMakeCache.txt" ] || first=(-G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo)
cmake -S "$root" -B "$build" "${first[@]}" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
