#!/usr/bin/env bash
# The main job on the built-in simulator: programs the demo image into a
# simulated 64x board (erase, program, verify), dumps the start of the flash
# with "-r", and shows the logs and the dump. Runs in a scratch folder with an
# empty simulator state folder.
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
