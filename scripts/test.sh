#!/usr/bin/env bash
# Installs what is missing, builds Tovra with warnings as errors and runs every
# test inside a private desktop session (X server, session bus, keyring).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

build_dir=${TOVRA_BUILD_DIR:-build/test}
jobs=${TOVRA_JOBS:-$(nproc)}

cmake -S . -B "$build_dir" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTOVRA_WARNINGS_AS_ERRORS=ON \
  -DTOVRA_BUILD_TESTS=ON \
  -DTOVRA_BUILD_BENCHMARKS=ON
cmake --build "$build_dir" --parallel "$jobs"

scripts/with-desktop-session.sh \
  ctest --test-dir "$build_dir" --output-on-failure --parallel "$jobs" "$@"
