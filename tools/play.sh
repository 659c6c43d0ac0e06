#!/usr/bin/env bash
# Installs what is missing, builds qel in release mode and starts the game in the project folder.
# Arguments are passed on to the game ("-edit", "-map Tutorial\Level1.qel").
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target qel
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "${SDL_VIDEODRIVER:-}" != "offscreen" ]; then
  cat >&2 <<'MSG'
qel needs a graphical display, and none was found (DISPLAY and WAYLAND_DISPLAY are empty).
Run it from a desktop session, or under a virtual X server:
    xvfb-run -a -s '-screen 0 1024x768x24' tools/play.sh
MSG
  exit 2
fi
# The game reads its media from assets/ (cursors, art, maps) once they exist.
root=$PWD
if [ -d assets ]; then cd assets; fi
exec "$root/build/qel" "$@"
