#!/usr/bin/env bash
# Installs the Debian packages qel needs, where missing. Safe to run again.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-dev
  libsdl2-dev libgl-dev libegl-dev libgl1-mesa-dri
  libfreetype-dev libfontconfig-dev fonts-liberation fonts-dejavu-core
  libjpeg-dev libpng-dev zlib1g-dev libvorbis-dev libimgui-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth libx11-dev libxtst-dev
)
# Real third-party model files for the converter tests.
if [ "${1:-}" = "--tests" ]; then
  packages+=(assimp-testmodels assimp-utils)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Need root (or sudo) to install: ${missing[*]}" >&2; exit 1; }
  as_root=(sudo)
fi
"${as_root[@]}" apt-get -o DPkg::Lock::Timeout=600 update -qq || true
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get -o DPkg::Lock::Timeout=600 install -y --no-install-recommends "${missing[@]}"
