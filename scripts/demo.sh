#!/usr/bin/env bash
# The main job on this build: writes a dummy S-record image in a scratch folder
# and shows its first records.
set -euo pipefail
corvane=$(realpath "$1")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
echo "$ corvane -g 0x8000 32768 2"
"$corvane" -g 0x8000 32768 2
echo "DummyHex.hex: $(wc -l < DummyHex.hex) lines; the first records:"
head -n 5 DummyHex.hex
