#!/usr/bin/env bash
# Staging speed of the uploader against the system's own tools, side by
# side in one run on the same disk:
#   1. staging a 500 MB file (PosixFileSystem::CopyInto, flushed to disk
#      before it is renamed into place) against cp, and against cp followed
#      by sync of the copy, which is the same promise;
#   2. listing a folder of 10,000 files (ListFiles, sorted) against ls.
# Usage: bench/uploader_bench.sh [work folder on the disk to measure]
# The small bench tool is compiled here from the sources with g++; nothing
# else is built.
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d ${1:+-p "$1"} -t uploader-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
size_mb=${BENCH_SIZE_MB:-500}
rounds=${BENCH_ROUNDS:-3}

g++ -std=c++20 -O2 -I"$source_dir" -o "$work/bench_stage" "$source_dir/bench/bench_stage.cpp" \
    "$source_dir/system/posix/PosixFileSystem.cpp" "$source_dir/system/Wildcard.cpp" \
    "$source_dir/core/Fallbacks.cpp"

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

echo "== Staging one ${size_mb} MB file in $work ($rounds rounds each, median)"
mkdir -p "$work/music" "$work/temp"
head -c "$((size_mb * 1024 * 1024))" /dev/urandom > "$work/music/song.mp3"
sync
: > "$work/stage.ms"; : > "$work/cp.ms"; : > "$work/cpsync.ms"
for _ in $(seq "$rounds"); do
    rm -f "$work/temp/"*; sync
    "$work/bench_stage" copy "$work/music/song.mp3" "$work/temp/song.mp3" >> "$work/stage.ms"
    cmp -s "$work/music/song.mp3" "$work/temp/song.mp3" || { echo "staged copy differs" >&2; exit 1; }
    rm -f "$work/temp/"*; sync
    start=$(now_ms); cp "$work/music/song.mp3" "$work/temp/song.mp3"; end=$(now_ms)
    echo $((end - start)) >> "$work/cp.ms"
    rm -f "$work/temp/"*; sync
    start=$(now_ms); cp "$work/music/song.mp3" "$work/temp/song.mp3"
    sync "$work/temp/song.mp3"; end=$(now_ms)
    echo $((end - start)) >> "$work/cpsync.ms"
done
stage=$(median < "$work/stage.ms"); plain=$(median < "$work/cp.ms"); synced=$(median < "$work/cpsync.ms")
awk -v s="$stage" -v c="$plain" -v y="$synced" -v mb="$size_mb" 'BEGIN {
    printf "CopyInto     %8.0f ms  %7.0f MB/s\n", s, mb * 1000 / s
    printf "cp           %8.0f ms  %7.0f MB/s   speed ratio CopyInto/cp      %.2f\n", c, mb * 1000 / c, c / s
    printf "cp + sync    %8.0f ms  %7.0f MB/s   speed ratio CopyInto/cp+sync %.2f\n", y, mb * 1000 / y, y / s
}'
rm -rf "$work/music" "$work/temp"

echo "== Listing a folder of 10,000 files"
mkdir -p "$work/many"
(cd "$work/many" && seq -f "Song %g.mp3" 1 10000 | xargs -d "\n" touch)
"$work/bench_stage" list "$work/many" 20 | sed 's/^/ListFiles in-process: /'
: > "$work/list.ms"; : > "$work/ls.ms"
for _ in $(seq 5); do
    start=$(now_ms); "$work/bench_stage" list "$work/many" 1 > /dev/null; end=$(now_ms)
    echo $((end - start)) >> "$work/list.ms"
    start=$(now_ms); ls "$work/many" > /dev/null; end=$(now_ms)
    echo $((end - start)) >> "$work/ls.ms"
done
echo "whole process, median of 5: bench_stage list $(median < "$work/list.ms") ms, ls $(median < "$work/ls.ms") ms"
