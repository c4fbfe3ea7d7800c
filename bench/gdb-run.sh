#!/bin/bash
# Programs and verifies a 4 MiB random image into QEMU's versatilepb flash
# through the GDB backend, and restores the same bytes into QEMU's RAM with
# gdb-multiarch over a fresh QEMU: the floor for moving bytes over the link.
# Usage: bench/gdb-run.sh [build-dir]   (a Release build with the target component)
set -euo pipefail
source "$(dirname "$(realpath "$0")")/qemu-board.sh"

build_dir=$(realpath "${1:-build}")
corvane=$build_dir/src/corvane
component=$build_dir/cvtc/arm926-cfi/arm926-cfi.elf
[ -x "$corvane" ] && [ -f "$component" ] || { echo "build $build_dir first (make build)" >&2; exit 2; }

work=$(mktemp -d)
qemu_pid=
trap '[ -n "$qemu_pid" ] && kill $qemu_pid 2>/dev/null; rm -rf "$work"' EXIT
cd "$work"

srec_cat -generate 0x34000000 0x34400000 -random -o image.hex -motorola -address-length=4 -obs 32
srec_cat image.hex -motorola -offset -0x34000000 -o image.bin -binary
head -c 64M /dev/zero | tr '\0' '\377' > flash.img   # erased, so that no erase is timed
cp "$component" component.elf
port=$(free_port)
write_qemu_setup "$port" flash.img
cat > board.txt <<CFG
1064 QEMU versatilepb (ARM926)
1023 component.elf
1019 image.hex
1039 1
CFG

CORVANE_SETUP=$work/setup.ini "$corvane" board.txt -t -c -v
grep -q "is complete" LogCorvane.txt || { echo "programming failed:"; cat LogCorvane.txt; exit 1; }
cmp <(head -c 4M flash.img) image.bin && echo "QEMU's flash file holds the image byte for byte"
run_ms=$(sed -n 's/^Time: \([0-9]*\) mSec.*/\1/p' LogCorvane.txt)
read -r ran_ms link_ms < <(sed -n 's/.*the target ran \([0-9]*\) ms, the link took \([0-9]*\) ms.*/\1 \2/p' LogCorvane.txt)

# The floor: gdb-multiarch writing the same 4 MiB into RAM over a fresh QEMU.
port=$(free_port)
truncate -s 64M floor.img
$(qemu_command "$port" floor.img) & qemu_pid=$!
for _ in $(seq 100); do (exec 3<>/dev/tcp/127.0.0.1/$port) 2>/dev/null && break; sleep 0.1; done
start_ns=$(date +%s%N)
gdb-multiarch -q -batch -ex "set architecture arm" -ex "target remote 127.0.0.1:$port" \
    -ex "restore image.bin binary 0x100000" >/dev/null 2>&1
floor_ms=$(( ($(date +%s%N) - start_ns) / 1000000 ))
kill $qemu_pid; qemu_pid=

awk -v run="$run_ms" -v ran="$ran_ms" -v link="$link_ms" -v floor="$floor_ms" 'BEGIN {
    own = run - ran - link
    printf "program and verify 4 MiB: %d ms, %.2f MiB/s\n", run, 4000 / run
    printf "  target running %d ms, link %d ms, Corvane %d ms (%.1f %% of the run)\n", ran, link, own, 100 * own / run
    printf "gdb-multiarch restore of 4 MiB into RAM: %d ms\n", floor
    printf "run / (target running + restore floor) = %.2f\n", run / (ran + floor)
}'
