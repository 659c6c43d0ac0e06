#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one.
#   tools/fuzz.sh smoke        a few seconds each (CI), as many at once as there are CPUs
#   tools/fuzz.sh run NAME S   one target for S seconds, corpus in build-fuzz/corpus/NAME
#   tools/fuzz.sh sources      builds every library source and rewrites tests/fuzz/sources.txt
# The build compiles only the library sources tests/fuzz/sources.txt lists, the ones the targets
# link. When a target no longer links from them (a fuzzed file came to use another source), every
# source is built instead and the list rewritten: commit the new list.
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-smoke}
list=tests/fuzz/sources.txt
jobs=${QEL_JOBS:-$(nproc)}

# Crash reports need files and lines only; -O1 is what libFuzzer's own builds use.
flags="-O1 -gline-tables-only -DNDEBUG"

# $1: the list of sources to build, empty for all.
configure() {
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQEL_FUZZ=ON \
    -DCMAKE_C_FLAGS_RELWITHDEBINFO="$flags" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$flags" \
    -DQEL_FUZZ_SOURCES="$1" >/dev/null
  targets=$(cmake --build build-fuzz --target help | sed -n 's/^\(fuzz_[a-z0-9_]*\):.*/\1/p' | sort -u)
}
build() { cmake --build build-fuzz -j "$jobs" --target $targets; }

# The archive members each target's link map names, as their sources: a library's folder in the build
# mirrors its folder in the tree, and a member is named after its source file.
write_sources() {
  {
    echo "# Library sources the fuzz targets link (tools/fuzz.sh sources writes this list)."
    sed -n 's|^\([a-z0-9_/]*\)/libqel_[a-z0-9_]*\.a(\([^)]*\)\.o).*|\1 \2|p' build-fuzz/fuzz/*.map | sort -u |
      while read -r folder name; do find "$folder" -name "$name" -type f; done | sort -u
  } >"$list"
}

build_all() {
  configure ""
  build
  write_sources
}

build_listed() {
  configure "$PWD/$list"
  build && return
  echo "fuzz: the targets no longer link from $list alone; building every source and rewriting the list" \
       "(commit it)" >&2
  build_all
}

# Seed folders of a target: its own, and for maps the media's.
seeds() {
  [ -d "tests/fuzz/seeds/$1" ] && echo "tests/fuzz/seeds/$1"
  [ "$1" = fuzz_map ] && echo assets/Maps
  return 0
}

# Runs one target briefly: its output in build-fuzz/smoke/NAME.log, its exit status in NAME.status.
smoke_one() {
  mkdir -p "build-fuzz/corpus/$1"
  local status=0
  # No names of newly reached functions: looking them up takes seconds of a short run.
  "build-fuzz/fuzz/$1" -max_total_time="${QEL_FUZZ_SECONDS:-4}" -rss_limit_mb=2048 -print_funcs=0 \
    "build-fuzz/corpus/$1" $(seeds "$1") >"build-fuzz/smoke/$1.log" 2>&1 || status=$?
  echo "$status" >"build-fuzz/smoke/$1.status"
}

export ASAN_OPTIONS=detect_leaks=1
case "$mode" in
  smoke)
    build_listed
    rm -rf build-fuzz/smoke && mkdir -p build-fuzz/smoke
    # One target per CPU, the next starting as soon as one ends.
    for t in $targets; do
      while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n; done
      smoke_one "$t" &
    done
    wait
    failed=""
    for t in $targets; do
      echo "fuzz $t"
      tail -n 2 "build-fuzz/smoke/$t.log"
      [ "$(cat "build-fuzz/smoke/$t.status")" = 0 ] || failed+=" $t"
    done
    for t in $failed; do
      echo "fuzz target $t failed:" >&2
      tail -n 40 "build-fuzz/smoke/$t.log" >&2
    done
    [ -z "$failed" ] ;;
  run)
    build_listed
    t=$2; mkdir -p "build-fuzz/corpus/$t"
    exec "build-fuzz/fuzz/$t" -max_total_time="${3:-600}" "build-fuzz/corpus/$t" $(seeds "$t") ;;
  sources)
    build_all ;;
  *)
    echo "usage: tools/fuzz.sh [smoke | run NAME SECONDS | sources]" >&2
    exit 2 ;;
esac
