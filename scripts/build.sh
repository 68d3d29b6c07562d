#!/usr/bin/env bash
# Configures (once) and builds the project into ./build. Extra arguments go
# to the first configure, e.g. -DWAVECREST_STATION_HOST=radio.example.org
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${WAVECREST_BUILD_DIR:-$root/build}"
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
fi
cmake --build "$build" -j"$(nproc)"
