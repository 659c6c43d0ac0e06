#!/usr/bin/env bash
# Installs the Debian packages qel needs, where missing. Safe to run again.
#   tools/setup-deps.sh [--tests] [--bench]
#   --tests   also the real third-party model files the converter tests read
#   --bench   also the peer importer and the peer engine the model loading benchmark compares with, and
#             the models it loads
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-dev
  libsdl2-dev libgl-dev libegl-dev libgl1-mesa-dri
  libfreetype-dev libfontconfig-dev fonts-liberation fonts-dejavu-core
  libjpeg-dev libpng-dev zlib1g-dev libvorbis-dev libimgui-dev
  glslang-dev glslang-tools libspirv-cross-c-shared-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth libx11-dev libxtst-dev
)
for option in "$@"; do
  case "$option" in
    --tests) packages+=(assimp-testmodels assimp-utils) ;;
    --bench) packages+=(libassimp-dev libirrlicht-dev assimp-testmodels) ;;
    *) echo "unknown option: $option (use --tests, --bench)" >&2; exit 2 ;;
  esac
done

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
