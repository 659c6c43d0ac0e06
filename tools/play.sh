#!/usr/bin/env bash
# Installs what is missing, builds qel in release mode and starts the game in its data folder.
# Arguments are passed on to the game ("-edit", "-map Tutorial\Level1.qel").
#
# The game reads its media from the folder it starts in and writes its settings, profiles and maps
# there too, so it runs in a folder of the player's own, ${XDG_DATA_HOME:-~/.local/share}/qel, and
# never in the project. Each start copies the project's media (assets/, made by tools/assetgen) into
# it; the start files (Config.ini, profiles and control configurations) are copied only when missing,
# since the game keeps the player's choices in them.
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
root=$PWD
data="${XDG_DATA_HOME:-$HOME/.local/share}/qel"
mkdir -p "$data"
(cd assets && find . -type f -print0) | while IFS= read -r -d '' file; do
  file=${file#./}
  case "$file" in
    Config.ini | Profiles/*) [ -e "$data/$file" ] || install -D -m 644 "assets/$file" "$data/$file" ;;
    *) install -D -m 644 "assets/$file" "$data/$file" ;;
  esac
done
cd "$data"
exec "$root/build/qel" "$@"
