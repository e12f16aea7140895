#!/usr/bin/env bash
# Installs what is missing, builds Tovra and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

build_dir=${TOVRA_BUILD_DIR:-build/release}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DTOVRA_BUILD_TESTS=OFF -DTOVRA_BUILD_BENCHMARKS=OFF
cmake --build "$build_dir" --parallel "$(nproc)"

exec "$build_dir/src/tovra" "$@"
