#!/bin/bash
# Reader throughput against srec_cat and objcopy on 64 MiB images in every format.
# Usage: bench/image-reader.sh [build-dir] [format...]   (build: -DCMAKE_BUILD_TYPE=Release -DCORVANE_BENCHMARKS=ON)
# Formats: s3 intel tekext titxt titagged tek elf bin (all by default).
set -euo pipefail

build_dir=${1:-build-bench}
shift || true
formats=${*:-s3 intel tekext titxt titagged tek elf bin}
bench="$build_dir/bench/image_reader_bench"
[ -x "$bench" ] || { echo "no $bench; build with -DCMAKE_BUILD_TYPE=Release -DCORVANE_BENCHMARKS=ON" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Best of three wall-clock times of a command, in milliseconds; "failed" when it fails.
time_best() {
    "$@" >/dev/null 2>&1 || { echo failed; return; }
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

# "ms  MB/s" (10^6 bytes of input text per second) for a time in milliseconds.
rate() {
    [ "$2" = failed ] && { echo "cannot read it"; return; }
    awk -v bytes="$1" -v ms="$2" 'BEGIN { printf "%d ms  %.1f MB/s", ms, bytes / 1000 / ms }'
}

# 64 MiB of random data.
data="$work/data.bin"
srec_cat -generate 0 0x4000000 -random -o "$data" -binary

# Tektronix and TI-Tagged addresses have 16 bits: 1024 copies of a 64 KiB image make the 64 MiB
# (TI-Tagged's end tag ":" only after the last).
repeated() {
    local one="$work/one.$1"
    srec_cat -generate 0 0x10000 -random -o "$one" "$2" -obs 32
    [ "$1" = tag ] && sed -i -e '$d' "$one"
    for _ in $(seq 1024); do cat "$one"; done >"$3"
    [ "$1" = tag ] && echo ":" >>"$3"
    return 0
}

# The image, and the srec_cat and objcopy input formats for it ("" when objcopy has none).
make_image() {
    case $1 in
        s3) srec_cat "$data" -binary -o "$2" -motorola -address-length=4 -obs 32; echo "-motorola srec" ;;
        intel) srec_cat "$data" -binary -o "$2" -intel -obs 32; echo "-intel ihex" ;;
        tekext) srec_cat "$data" -binary -o "$2" -tektronix-extended -obs 32; echo "-tektronix-extended tekhex" ;;
        titxt) srec_cat "$data" -binary -o "$2" -ti-txt; echo "-ti-txt" ;;
        titagged) repeated tag -ti-tagged "$2"; echo "-ti-tagged" ;;
        tek) repeated tek -tektronix "$2"; echo "-tektronix" ;;
        elf) printf '  .section .image,"a"\n  .incbin "%s"\n' "$data" >"$work/image.S"
             printf 'SECTIONS { .image 0x08000000 : { *(.image) } }\n' >"$work/image.ld"
             arm-none-eabi-gcc -nostdlib -Wl,-e,0 -T "$work/image.ld" -o "$2" "$work/image.S"
             echo "- elf" ;;
        bin) cp "$data" "$2"; echo "-binary binary" ;;
    esac
}

for format in $formats; do
    image="$work/image.$format"
    read -r srec_format objcopy_format < <(make_image "$format" "$image")
    text_bytes=$(stat -c %s "$image")
    cat "$image" >/dev/null # into the page cache for everyone
    echo
    echo "== $format: $text_bytes bytes of file for 64 MiB of data"
    if [ "$srec_format" != - ]; then
        ms=$(time_best srec_cat -multiple "$image" "$srec_format" -o "$work/out.bin" -binary)
        echo "srec_cat -binary:          $(rate "$text_bytes" "$ms")"
    fi
    if [ -n "${objcopy_format:-}" ]; then
        tool=objcopy
        arguments=(-I "$objcopy_format" -O binary)
        [ "$objcopy_format" = elf ] && { tool=arm-none-eabi-objcopy; arguments=(-O binary); }
        ms=$(time_best "$tool" "${arguments[@]}" "$image" "$work/out.bin")
        echo "$tool -I $objcopy_format -O binary:   $(rate "$text_bytes" "$ms")"
    fi
    CORVANE_BENCH_IMAGE="$image" "$bench" --benchmark_counters_tabular=true 2>/dev/null | grep -E "^ReadWhole"
    rm -f "$image" "$work/out.bin"
done
