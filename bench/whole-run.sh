#!/bin/bash
# A whole command-line run that programs and verifies a 64 MiB random S3 image
# into the simulator, timed beside objcopy converting the same file.
# Usage: bench/whole-run.sh [build-dir]   (a Release build of corvane)
set -euo pipefail

build_dir=${1:-build-bench}
corvane=$(realpath "$build_dir/src/corvane")
[ -x "$corvane" ] || { echo "no $corvane; build a Release build first" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

srec_cat -generate 0 0x4000000 -random -o image.hex -motorola -address-length=4 -obs 32
cat > component.sim <<'SIM'
# corvane simulated target component
buffer = 4096
flash_base = 0
flash_size = 0x4000000
program_kib_per_s = 0
SIM
cat > board.txt <<'CFG'
1064 Simulator 64x (CPU)
1023 component.sim
1019 image.hex
1039 1
CFG
echo "image: $(stat -c %s image.hex) bytes of S3 text for 64 MiB of data"
cat image.hex >/dev/null # into the page cache for both

# Wall-clock and CPU milliseconds and peak resident memory of one run of a command.
measure() {
    /usr/bin/time -f "%e %U %S %M" -o measure.txt "$@" >/dev/null 2>&1
    awk '{ printf "%5d ms wall, %5d ms CPU, peak %d MiB", $1 * 1000, ($2 + $3) * 1000, $4 / 1024 }' measure.txt
}

for run in 1 2 3; do
    rm -rf sim
    echo "run $run: corvane program+verify: $(CORVANE_SIM_DIR=$work/sim TMPDIR=$work measure "$corvane" board.txt -t -c)"
    grep -q "is complete" LogCorvane.txt || { echo "programming failed:"; cat LogCorvane.txt; exit 1; }
    echo "run $run: objcopy -O binary:      $(measure objcopy -I srec -O binary image.hex objcopy.bin)"
done
srec_cat image.hex -motorola -o srec.bin -binary
cmp "sim/Simulator 64x (CPU).flash" srec.bin && echo "the simulated flash holds the image byte for byte"
