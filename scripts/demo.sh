#!/usr/bin/env bash
# The main job on the built-in simulator: programs the demo image into a
# simulated 64x board (erase, program, verify), dumps the start of the flash
# with "-r", and shows the logs and the dump; then programs the same image into
# QEMU's versatilepb board through the GDB backend and shows QEMU's flash file.
# Runs in a scratch folder with an empty simulator state folder.
set -euo pipefail
corvane=$(realpath "$1")
examples=$(realpath "$(dirname "$0")/../examples")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp "$examples"/board64x.txt "$examples"/cvtc64x.sim "$examples"/app.hex "$scratch"
cd "$scratch"
export CORVANE_SIM_DIR="$scratch/sim"
export TMPDIR="$scratch"

echo "$ corvane board64x.txt -t -c -e -v      # erase, program app.hex, verify"
"$corvane" board64x.txt -t -c -e -v
echo "--- LogCorvane.txt"
cat LogCorvane.txt
echo
echo "$ corvane board64x.txt -t -c -r 0 0x2000 -o dump.log   # dump the first 8 KiB"
"$corvane" board64x.txt -t -c -r 0 0x2000 -o dump.log
echo "--- dump.log"
cat dump.log
echo
echo "--- FlashData.txt (first lines of $(wc -l < FlashData.txt))"
head -n 8 FlashData.txt
echo "--- the same bytes as srec_cat reads them from app.hex"
srec_cat app.hex -motorola -offset -0x90000000 -crop 0 0x80 -o - -hex-dump 2>/dev/null | head -n 8

# The same image, moved to QEMU's flash at 0x34010000, programmed into QEMU's
# versatilepb board through the GDB backend with the reference target component.
build=$(dirname "$corvane")/..
echo
echo "=== QEMU versatilepb (ARM926, CFI NOR flash) through the GDB backend"
mkdir "$scratch/qemu"
cd "$scratch/qemu"
cp "$examples"/qemu/board-qemu.txt "$examples"/qemu/app.hex .
cp "$build"/cvtc/arm926-cfi/arm926-cfi.elf .
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
sed "s/3333/$port/g" "$examples"/qemu/setup.ini > setup.ini
export CORVANE_SETUP="$scratch/qemu/setup.ini"
truncate -s 64M flash.img
echo "$ corvane board-qemu.txt -t -c -e -v   # Corvane starts QEMU, erases, programs app.hex, verifies"
"$corvane" board-qemu.txt -t -c -e -v
echo "--- LogCorvane.txt"
cat LogCorvane.txt
echo
echo "--- QEMU's flash file at offset 0x10000"
od -A x -t x1z -j 0x10000 -N 128 -w16 flash.img
echo "--- the same bytes as srec_cat reads them from app.hex"
srec_cat app.hex -motorola -offset -0x34010000 -crop 0 0x80 -o - -hex-dump 2>/dev/null | head -n 8
