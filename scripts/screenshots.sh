#!/usr/bin/env bash
# Renders the pictures of the README (docs/screenshots/*.png) under Xvfb: the
# main window with a simulated 64x board after erasing and programming the
# example image, the flash memory window and the simulator window.
set -euo pipefail
root=$(realpath "$(dirname "$0")/..")
build=${BUILD_DIR:-$root/build}
bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVANE_TESTS=OFF >/dev/null
cmake --build "$build" --target corvane-screenshots
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp "$root"/examples/board64x.txt "$root"/examples/cvtc64x.sim "$root"/examples/app.hex "$scratch"
mkdir -p "$root/docs/screenshots"
export CORVANE_SIM_DIR="$scratch/sim" CORVANE_SIM_INSTANT=1 XDG_CONFIG_HOME="$scratch/config" TMPDIR="$scratch"
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$build/src/corvane-screenshots" "$scratch" "$root/docs/screenshots"
