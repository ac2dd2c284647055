#!/usr/bin/env bash
# Installs every Debian package the program, its tests, benchmarks and fuzzers need.
# Skips apt entirely when everything is already present.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-webengine-dev qt6-webengine-dev-tools qt6-svg-dev
  qt6-qpa-plugins libqt6svg6 libqt6webenginecore6-bin
  libgl1-mesa-dri libglx-mesa0 libegl1
  libcurl4-openssl-dev curl
  libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev
  xvfb xauth x11-utils xdotool imagemagick
  fonts-noto-cjk
  clang libclang-rt-14-dev
  hyperfine
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}" >&2
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
