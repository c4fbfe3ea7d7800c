#!/bin/bash
# Reader throughput against srec_cat and objcopy on the same 64 MiB S3 image.
# Usage: bench/image-reader.sh [build-dir]   (build: -DCMAKE_BUILD_TYPE=Release -DCORVANE_BENCHMARKS=ON)
set -euo pipefail

build_dir=${1:-build-bench}
bench="$build_dir/bench/image_reader_bench"
[ -x "$bench" ] || { echo "no $bench; build with -DCORVANE_BENCHMARKS=ON" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
image="$work/image.s3"

# 64 MiB of random data as S3 records of 32 data bytes each.
srec_cat -generate 0 0x4000000 -random -o "$image" -motorola -address-length=4 -obs 32
text_bytes=$(stat -c %s "$image")
echo "image: $image, $text_bytes bytes of text for 64 MiB of data"

# Best of three wall-clock times of a command, in milliseconds.
time_best() {
    local best=999999
    for _ in 1 2 3; do
        local start end elapsed
        start=$(date +%s%N)
        "$@" >/dev/null 2>&1
        end=$(date +%s%N)
        elapsed=$(( (end - start) / 1000000 ))
        (( elapsed < best )) && best=$elapsed
    done
    echo "$best"
}

cat "$image" >/dev/null # into the page cache for everyone
srec_ms=$(time_best srec_cat "$image" -motorola -o "$work/srec.bin" -binary)
objcopy_ms=$(time_best objcopy -I srec -O binary "$image" "$work/objcopy.bin")
cmp -s "$work/srec.bin" "$work/objcopy.bin" || echo "warning: srec_cat and objcopy disagree" >&2

# MB/s (10^6 bytes) of input text for a time in milliseconds.
mbps() { awk -v bytes="$text_bytes" -v ms="$1" 'BEGIN { printf "%.1f", bytes / 1000 / ms }'; }
echo
echo "srec_cat -binary:          ${srec_ms} ms  $(mbps "$srec_ms") MB/s"
echo "objcopy -O binary:         ${objcopy_ms} ms  $(mbps "$objcopy_ms") MB/s"
echo
CORVANE_BENCH_IMAGE="$image" "$bench" --benchmark_counters_tabular=true
