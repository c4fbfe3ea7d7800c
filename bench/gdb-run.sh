#!/bin/bash
# Programs and verifies a 4 MiB random image into QEMU's versatilepb flash
# through the GDB backend, and restores the same bytes into QEMU's RAM with
# gdb-multiarch over a fresh QEMU: the floor for moving bytes over the link.
# Prints Corvane's CPU time (user + system of the whole process), the target's
# and the link's time as the backend logs them, the floor, and the two ratios:
# CPU time to the process's wall time, programming time to target + floor.
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
cat > board.txt <<CFG
1064 QEMU versatilepb (ARM926)
1023 component.elf
1019 image.hex
1039 1
CFG

# QEMU runs beside Corvane, not as its child, so that Corvane's CPU time is its own.
port=$(free_port)
$(qemu_command "$port" flash.img) & qemu_pid=$!
wait_for_port "$port"
write_qemu_setup "$port"
CORVANE_SETUP=$work/setup.ini /usr/bin/time -f "%e %U %S" -o corvane.time "$corvane" board.txt -t -c -v
kill $qemu_pid; wait $qemu_pid 2>/dev/null || true; qemu_pid=
grep -q "is complete" LogCorvane.txt || { echo "programming failed:"; cat LogCorvane.txt; exit 1; }
cmp <(head -c 4M flash.img) image.bin && echo "QEMU's flash file holds the image byte for byte"
run_ms=$(sed -n 's/^Time: \([0-9]*\) mSec.*/\1/p' LogCorvane.txt)
read -r ran_ms link_ms < <(sed -n 's/.*the target ran \([0-9]*\) ms, the link took \([0-9]*\) ms.*/\1 \2/p' LogCorvane.txt)
read -r wall_s user_s system_s < corvane.time

# The floor: gdb-multiarch writing the same 4 MiB into RAM over a fresh QEMU.
port=$(free_port)
truncate -s 64M floor.img
$(qemu_command "$port" floor.img) & qemu_pid=$!
wait_for_port "$port"
start_ns=$(date +%s%N)
gdb-multiarch -q -batch -ex "set architecture arm" -ex "target remote 127.0.0.1:$port" \
    -ex "restore image.bin binary 0x100000" >/dev/null 2>&1
floor_ms=$(( ($(date +%s%N) - start_ns) / 1000000 ))
kill $qemu_pid; qemu_pid=

awk -v run="$run_ms" -v ran="$ran_ms" -v link="$link_ms" -v floor="$floor_ms" \
    -v wall="$wall_s" -v user="$user_s" -v kernel="$system_s" 'BEGIN {
    cpu = 1000 * (user + kernel)
    printf "program and verify 4 MiB: %d ms, %.2f MiB/s\n", run, 4000 / run
    printf "  target running %d ms, link %d ms, rest %d ms\n", ran, link, run - ran - link
    printf "Corvane process: %d ms wall, CPU %d ms (user %d ms, system %d ms)\n", 1000 * wall, cpu, 1000 * user, 1000 * kernel
    printf "gdb-multiarch restore of 4 MiB into RAM: %d ms\n", floor
    printf "Corvane CPU / process wall = %.1f %%\n", 100 * cpu / (1000 * wall)
    printf "programming / (target running + restore floor) = %.2f\n", run / (ran + floor)
}'
