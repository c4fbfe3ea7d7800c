#!/usr/bin/env bash
# Checks the Debian package that `make package` left in BUILD_DIR: its control
# fields and files, the unpacked program's --version, a simulated programming
# run, the README's QEMU example, that its manual page shows every option --help
# lists, and lintian.
set -euo pipefail
build=$(realpath "$1")
here=$(dirname "$(realpath "$0")")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb="$build/corvane_${version}_$(dpkg --print-architecture).deb"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() {
  echo "check-package: $*" >&2
  exit 1
}

field() {
  dpkg-deb --field "$deb" "$1"
}

echo "check-package: $deb"
[ -f "$deb" ] || fail "no package $deb (make package)"
[ "$(field Package)" = corvane ] || fail "Package is $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version is $(field Version), the project's is $version"
depends=$(field Depends)
for needed in libqt6widgets6 qt6-qpa-plugins libqt6svg6; do
  grep -qw "$needed" <<<"$depends" || fail "Depends lacks $needed: $depends"
done
grep -qw qemu-system-arm <<<"$(field Suggests)" || fail "Suggests lacks qemu-system-arm"

dpkg-deb --contents "$deb" | awk '{print $6}' | sed 's,^\./,/,' > "$scratch/contents"
for path in /usr/bin/corvane /usr/share/applications/corvane.desktop /usr/share/mime/packages/corvane.xml \
    /usr/share/icons/hicolor/scalable/apps/corvane.svg /usr/share/corvane/arm926-cfi.elf \
    /usr/share/man/man1/corvane.1.gz /usr/share/bash-completion/completions/corvane \
    /usr/share/doc/corvane/copyright /usr/share/doc/corvane/changelog.gz /usr/share/doc/corvane/README.md \
    /usr/share/doc/corvane/docs/command-line.md /usr/share/doc/corvane/examples/app.hex; do
  grep -qx "$path" "$scratch/contents" || fail "the package lacks $path"
done

root="$scratch/root"
dpkg -x "$deb" "$root"
corvane="$root/usr/bin/corvane"
[ "$("$corvane" --version)" = "Corvane $version" ] || fail "corvane --version says $("$corvane" --version)"

# The example board erased, programmed and verified on the built-in simulator
# from the unpacked files, then its first 16 bytes dumped: those of app.hex's
# first data record.
run="$scratch/run"
mkdir "$run"
cp "$root"/usr/share/doc/corvane/examples/{board64x.txt,cvtc64x.sim,app.hex} "$run"
(
  cd "$run"
  export CORVANE_SIM_DIR="$run/sim" TMPDIR="$run"
  unset XDG_RUNTIME_DIR
  "$corvane" board64x.txt -t -c -e -v && "$corvane" board64x.txt -t -c -r 0 0x10
) || fail "the simulated programming run failed"
dumped=$(head -n 1 "$run/FlashData.txt" | tr -d '\r')
programmed="00000000: $(sed -n 2p "$run/app.hex" | cut -c 13-44 | sed 's/../& /g')"
[ "$dumped" = "$programmed" ] || fail "the flash holds \"$dumped\", not \"$programmed\""

# The QEMU example exactly as README.md and docs/setup.md give it, run from the
# unpacked package: its /usr/share stands for the installed one, and `corvane`
# first moves the example's GDB port to a free one. QEMU ends with Corvane (its
# parent-death signal); `timeout` ends a hanging run by its process group.
example() {
  awk '/<!-- check-package runs this block -->/ {found = 1; next}
       found && /^```sh$/ {inside = 1; next}
       inside && /^```$/ {exit}
       inside' "$1"
}
docs="$root/usr/share/doc/corvane"
commands=$(example "$docs/README.md")
[ -n "$commands" ] || fail "README.md lacks the QEMU example's commands"
[ "$commands" = "$(example "$docs/docs/setup.md")" ] ||
  fail "README.md and docs/setup.md give different commands for the QEMU example"
command -v qemu-system-arm >/dev/null || fail "qemu-system-arm is missing (scripts/setup.sh installs it)"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
mkdir "$scratch/bin" "$scratch/qemu"
printf '#!/bin/sh\nsed -i "s/3333/%s/g" setup.ini\nexec "%s" "$@"\n' "$port" "$corvane" > "$scratch/bin/corvane"
chmod +x "$scratch/bin/corvane"
(
  cd "$scratch/qemu"
  export PATH="$scratch/bin:$PATH" TMPDIR="$scratch/qemu"
  unset XDG_RUNTIME_DIR CORVANE_SETUP CORVANE_SIM_DIR
  timeout --kill-after=10 300 bash -e -c "${commands//\/usr\/share\//$root/usr/share/}"
) > "$scratch/qemu.out" 2>&1 || { cat "$scratch/qemu.out" >&2; fail "the QEMU example of README.md failed"; }
example_dir="$scratch/qemu/corvane-qemu"
grep -q "is complete." "$example_dir/LogCorvane.txt" || fail "the QEMU example's log does not say it is complete"
in_flash=$(od -A n -t x1 -j 0x10000 -N 16 "$example_dir/flash.img" | tr -d ' \n')
in_image=$(sed -n 2p "$docs/examples/qemu/app.hex" | cut -c 13-44 | tr 'A-F' 'a-f')
[ "$in_flash" = "$in_image" ] || fail "QEMU's flash holds $in_flash at 0x10000, not app.hex's $in_image"
for bridge in corvane-ccs-bridge.py corvane-ccs-bridge.js; do
  [ -f "$root/usr/share/corvane/$bridge" ] || fail "the package lacks /usr/share/corvane/$bridge"
done

manual="$root/usr/share/man/man1/corvane.1.gz"
grep -q "Corvane $version" <<<"$(man -l "$manual" 2>/dev/null)" || fail "the manual page does not name Corvane $version"
python3 "$here/help-options.py" check-man "$corvane" "$manual" ||
  fail "the manual page lacks options that --help lists"

# The bash completion on a folder with a file of each kind.
files="$scratch/files"
mkdir -p "$files/sub"
touch "$files"/{a.cdd,b.txt,c.hex,d.DAT,e.cmd,f.bin,g.elf,h.s19,i.ihx}
completed=$(cd "$files" && bash "$here/complete.sh" "$root/usr/share/bash-completion/completions/corvane" \
  "corvane --sa" "corvane " "corvane a.cdd /T " "corvane a.cdd --save-as " "corvane a.cdd -o " "corvane a.cdd -r 0 ")
expected="corvane --sa| --save-as
corvane | a.cdd b.txt sub
corvane a.cdd /T | c.hex d.DAT e.cmd g.elf h.s19 i.ihx sub
corvane a.cdd --save-as | a.cdd sub
corvane a.cdd -o | a.cdd b.txt c.hex d.DAT e.cmd f.bin g.elf h.s19 i.ihx sub
corvane a.cdd -r 0 |"
[ "$completed" = "$expected" ] || fail "the bash completion offers
$completed
instead of
$expected"

lintian --fail-on error "$deb" || fail "lintian reports errors"
echo "check-package: $(basename "$deb") unpacks, runs and passes lintian"
