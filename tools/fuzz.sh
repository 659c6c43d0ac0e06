#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one.
#   tools/fuzz.sh smoke        a few seconds each (CI)
#   tools/fuzz.sh run NAME S   one target for S seconds, corpus in build-fuzz/corpus/NAME
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-smoke}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQEL_FUZZ=ON >/dev/null
targets=$(cmake --build build-fuzz --target help | sed -n 's/^\(fuzz_[a-z0-9_]*\):.*/\1/p' | sort -u)
[ -z "$targets" ] && { echo "no fuzz targets"; exit 0; }
cmake --build build-fuzz -j "${QEL_JOBS:-$(nproc)}" --target $targets
export ASAN_OPTIONS=detect_leaks=1
# Seed folders of a target: its own, and for maps and music the media's.
seeds() {
  [ -d "tests/fuzz/seeds/$1" ] && echo "tests/fuzz/seeds/$1"
  case "$1" in
    fuzz_map) echo assets/Maps ;;
    fuzz_ogg) echo assets/Music ;;
  esac
  return 0
}
case "$mode" in
  smoke)
    for t in $targets; do
      mkdir -p "build-fuzz/corpus/$t"
      echo "fuzz $t"
      "build-fuzz/fuzz/$t" -max_total_time="${QEL_FUZZ_SECONDS:-4}" -rss_limit_mb=2048 \
        "build-fuzz/corpus/$t" $(seeds "$t") 2>&1 | tail -n 2
      [ "${PIPESTATUS[0]}" -eq 0 ] || { echo "fuzz target $t failed" >&2; exit 1; }
    done ;;
  run)
    t=$2; mkdir -p "build-fuzz/corpus/$t"
    exec "build-fuzz/fuzz/$t" -max_total_time="${3:-600}" "build-fuzz/corpus/$t" $(seeds "$t") ;;
esac
