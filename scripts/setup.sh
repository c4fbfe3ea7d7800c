#!/usr/bin/env bash
# Installs the Debian packages Corvane needs to build, test, package and run its demo.
# Idempotent and non-interactive; does nothing when everything is present.
set -euo pipefail

PACKAGES=(
  cmake ninja-build make g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libqt6svg6
  libgsf-1-dev libglib2.0-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  srecord binutils python3 python3-olefile poppler-utils xvfb xauth
  libelf-dev qemu-system-arm gcc-arm-none-eabi gdb-multiarch rhino
  pandoc dpkg-dev lintian man-db bash-completion openbox xdotool
)

missing=()
for pkg in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$pkg")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then SUDO=sudo; else
    echo "setup: missing packages: ${missing[*]} (run as root to install them)" >&2
    exit 1
  fi
else
  SUDO=
fi

export DEBIAN_FRONTEND=noninteractive
APT_OPTS=(-y -q -o DPkg::Lock::Timeout=600 -o Dpkg::Options::=--force-confdef -o Dpkg::Options::=--force-confold)

lists_present() {
  compgen -G '/var/lib/apt/lists/*_Packages*' >/dev/null
}

candidates_known() {
  local pkg
  for pkg in "$@"; do
    apt-cache show "$pkg" >/dev/null 2>&1 || return 1
  done
}

if ! lists_present || ! candidates_known "${missing[@]}"; then
  $SUDO apt-get "${APT_OPTS[@]}" update
fi

echo "setup: installing ${missing[*]}"
$SUDO apt-get "${APT_OPTS[@]}" install --no-install-recommends "${missing[@]}"
