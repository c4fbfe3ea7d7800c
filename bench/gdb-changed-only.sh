#!/bin/bash
# Re-flashing a 4 MiB image of which 1 % (its first 41,943 bytes) changed,
# with --changed-only, against a full program+verify, into QEMU's versatilepb
# flash through the GDB backend. The flash file starts erased in both runs.
# Usage: bench/gdb-changed-only.sh [build-dir]   (a Release build with the target component)
set -euo pipefail
source "$(dirname "$(realpath "$0")")/qemu-board.sh"

build_dir=$(realpath "${1:-build}")
corvane=$build_dir/src/corvane
[ -x "$corvane" ] && [ -f "$build_dir/cvtc/arm926-cfi/arm926-cfi.elf" ] || { echo "build $build_dir first (make build)" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cp $build_dir/cvtc/arm926-cfi/arm926-cfi.elf component.elf
srec_cat -generate 0x34000000 0x34400000 -random -o new.hex -motorola -address-length=4 -obs 32
srec_cat new.hex -motorola -offset -0x34000000 -o new.bin -binary
cp new.bin old.bin
head -c 41943 /dev/zero | tr '\0' '\377' | dd of=old.bin conv=notrunc status=none
srec_cat old.bin -binary -offset 0x34000000 -o old.hex -motorola -address-length=4 -obs 32
write_qemu_setup "$(free_port)" flash.img
for image in old new; do printf '1064 QEMU versatilepb (ARM926)\n1023 component.elf\n1019 %s.hex\n1039 1\n' $image > $image.txt; done
run() { local s=$(date +%s%N); CORVANE_SETUP=$PWD/setup.ini TMPDIR=$PWD "$corvane" "$@" >/dev/null 2>&1 || { cat LogCorvane.txt; exit 1; }; echo "$(( ($(date +%s%N) - s) / 1000000 )) ms wall, $(sed -n 's/^Time: \([0-9]*\) mSec.*/\1/p' LogCorvane.txt | tail -1) ms programming"; }
for round in 1 2; do
  head -c 64M /dev/zero | tr '\0' '\377' > flash.img
  run old.txt -t -c > /dev/null
  echo "round $round changed-only: $(run new.txt -t -c --changed-only)"
  grep -o 'skipped: [0-9]* unchanged' LogCorvane.txt
  head -c 64M /dev/zero | tr '\0' '\377' > flash.img
  echo "round $round full program+verify: $(run new.txt -t -c)"
done
cmp <(head -c 4M flash.img) new.bin && echo "QEMU's flash file holds the new image byte for byte"
