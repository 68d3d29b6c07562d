#!/usr/bin/env bash
# Wavecrest against Chromium showing the same player and chat pages, side by
# side under one Xvfb: start-up overhead, memory of the whole process tree,
# and Wavecrest's idle cost. Builds Wavecrest for the bench's own station
# address in its own build folder first.
# Usage: bench/browser_bench.sh [rounds]            (default 5)
#        bench/browser_bench.sh --show [minutes]    a show, compressed (default 20)
# Environment: BENCH_BUILD_DIR (default build-bench), BENCH_PORT (18642).
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BENCH_BUILD_DIR:-$source_dir/build-bench}
port=${BENCH_PORT:-18642}
show=""
if [[ ${1:-} == --show ]]; then
    show=${2:-20}
else
    rounds=${1:-5}
fi

# Bench-only tools, installed here rather than for every machine.
missing=()
command -v chromium >/dev/null || missing+=(chromium)
command -v Xvfb >/dev/null || missing+=(xvfb)
if ((${#missing[@]})); then
    sudo_cmd=()
    [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get install -y "${missing[@]}" >/dev/null
fi

cmake -S "$source_dir" -B "$build_dir" -G "Unix Makefiles" \
    -DWAVECREST_STATION_HOST="127.0.0.1:$port" >/dev/null
cmake --build "$build_dir" -j2 --target Wavecrest >/dev/null

if [[ -n $show ]]; then
    exec "$source_dir/scripts/with-xvfb.sh" /usr/bin/python3 "$source_dir/bench/show_bench.py" \
        --wavecrest "$build_dir/bin/Wavecrest" --port "$port" --minutes "$show"
fi
exec "$source_dir/scripts/with-xvfb.sh" /usr/bin/python3 "$source_dir/bench/browser_bench.py" \
    --wavecrest "$build_dir/bin/Wavecrest" --port "$port" --rounds "$rounds"
