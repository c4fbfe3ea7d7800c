#!/bin/bash
# Re-flashing a 64 MiB image of which 1 % of the 4 KiB blocks changed, with
# --changed-only, against a full erase+program+verify of the same image, on the
# simulator programming at a realistic speed.
# Usage: bench/changed-only.sh [build-dir] [program_kib_per_s]   (default build-bench, 1000)
# The simulator rounds each write's duration down to whole milliseconds: at
# 1000 KiB/s a 4096-byte block takes exactly 4 ms.
set -euo pipefail

build_dir=${1:-build-bench}
speed=${2:-1000}
corvane=$(realpath "$build_dir/src/corvane")
[ -x "$corvane" ] || { echo "no $corvane; build corvane first" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# new.bin: 64 MiB of random bytes; old.bin: the same with 1 % of its blocks
# (every 100th, 164 of 16384) still erased, so that the new image only clears bits.
head -c $((64 << 20)) /dev/urandom > new.bin
cp new.bin old.bin
for ((block = 0; block < 16384; block += 100)); do
    head -c 4096 /dev/zero | tr '\0' '\377' | dd of=old.bin bs=4096 seek=$block conv=notrunc status=none
done
srec_cat new.bin -binary -o new.hex -motorola -address-length=4 -obs 32
srec_cat old.bin -binary -o old.hex -motorola -address-length=4 -obs 32

cat > component.sim <<SIM
# corvane simulated target component
buffer = 4096
flash_base = 0
flash_size = 0x4000000
erase_seconds = 0
program_kib_per_s = $speed
SIM
write_config() {
    printf '1064 Simulator 64x (CPU)\n1023 component.sim\n1019 %s\n1039 1\n' "$1" > "$2"
}
write_config old.hex old.txt
write_config new.hex new.txt

# Wall-clock milliseconds of one run; fails when the run fails.
run() {
    local start end
    start=$(date +%s%N)
    CORVANE_SIM_DIR=$work/sim TMPDIR=$work "$corvane" "$@" >/dev/null 2>&1 || { echo "run failed:" >&2; cat LogCorvane.txt >&2; exit 1; }
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}

echo "program_kib_per_s = $speed, image 64 MiB, 164 of 16384 blocks changed"
for round in 1 2; do
    rm -rf sim
    run old.txt -t -c -e >/dev/null
    changed=$(run new.txt -t -c --changed-only --report changed.json)
    grep -o '"bytes_written": [0-9]*' changed.json | tr '\n' ' '
    full=$(run new.txt -t -c -e)
    echo
    echo "round $round: --changed-only re-flash ${changed} ms, full erase+program+verify ${full} ms," \
        "ratio $(awk "BEGIN { printf \"%.1f\", 100 * $changed / $full }") %"
done
cmp "sim/Simulator 64x (CPU).flash" new.bin && echo "the simulated flash holds the new image byte for byte"
