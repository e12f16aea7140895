#!/usr/bin/env bash
# Installs what is missing, builds Tovra with warnings as errors and runs every
# test inside a private desktop session (X server, session bus, keyring).
#
#   scripts/test.sh [--sanitize] [ctest arguments...]
#
# --sanitize (or TOVRA_SANITIZE=1) builds and runs the whole suite with
# AddressSanitizer and UndefinedBehaviorSanitizer in its own build folder
# (build/sanitize): any memory error, leak or undefined behaviour fails the
# test that caused it. It is slower and not part of CI; run it after a change
# that touches memory or threads.
set -euo pipefail
cd "$(dirname "$0")/.."

sanitize=${TOVRA_SANITIZE:-0}
if [ "${1:-}" = "--sanitize" ]; then
  sanitize=1
  shift
fi

scripts/install-deps.sh

jobs=${TOVRA_JOBS:-$(nproc)}
if [ "$sanitize" = 1 ]; then
  build_dir=${TOVRA_BUILD_DIR:-build/sanitize}
  # Warnings are the normal build's business: instrumented code makes GCC
  # warn of uninitialised values where there are none.
  options=(-DTOVRA_SANITIZERS=ON -DTOVRA_WARNINGS_AS_ERRORS=OFF -DTOVRA_BUILD_BENCHMARKS=OFF)
  # Set before the build too: listing a program's tests runs it.
  export ASAN_OPTIONS=detect_leaks=1:strict_init_order=1
  export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan-suppressions.txt
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
else
  build_dir=${TOVRA_BUILD_DIR:-build/test}
  options=(-DTOVRA_WARNINGS_AS_ERRORS=ON -DTOVRA_BUILD_BENCHMARKS=ON)
fi

cmake -S . -B "$build_dir" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTOVRA_BUILD_TESTS=ON \
  "${options[@]}"
cmake --build "$build_dir" --parallel "$jobs"

scripts/with-desktop-session.sh \
  ctest --test-dir "$build_dir" --output-on-failure --parallel "$jobs" "$@"
