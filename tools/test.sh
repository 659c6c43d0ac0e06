#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and UndefinedBehaviorSanitizer,
# and runs the whole test suite (GL tests offscreen, window tests under Xvfb, fuzz targets briefly).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup-deps.sh --tests
jobs=${QEL_JOBS:-$(nproc)}
# A sanitizer report needs files and lines, not variables: -O1 -g1 compiles in about half the CPU time
# of -O2 -g, which is most of a run on two cores.
flags="-O1 -g1 -DNDEBUG"
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQEL_SANITIZE=ON \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="$flags" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$flags" >/dev/null
cmake --build build-test -j "$jobs"
export SDL_AUDIODRIVER=dummy
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tools/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir build-test --output-on-failure -j "$jobs"
tools/fuzz.sh smoke
