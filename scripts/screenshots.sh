#!/usr/bin/env bash
# Installs what is missing, builds Tovra's window pictures and draws every
# window in its telling states inside a private desktop session (an X server
# with the CJK font), as PNG files in <build dir>/screenshots
# (build/test/screenshots by default; TOVRA_BUILD_DIR picks another folder).
# The same pictures are taken and checked by every test run (label
# "screenshots"); docs/screenshots/ holds a few of them for the README.
#
#   scripts/screenshots.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

# The options of scripts/test.sh, so that both share one build.
build_dir=${TOVRA_BUILD_DIR:-build/test}
cmake -S . -B "$build_dir" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTOVRA_BUILD_TESTS=ON \
  -DTOVRA_WARNINGS_AS_ERRORS=ON \
  -DTOVRA_BUILD_BENCHMARKS=ON
cmake --build "$build_dir" --parallel "${TOVRA_JOBS:-$(nproc)}" --target tovra_screenshot_tests

# Only this run's pictures: a window no longer drawn leaves no stale file.
rm -rf "$build_dir/screenshots"
scripts/with-desktop-session.sh \
  ctest --test-dir "$build_dir" --output-on-failure --label-regex '^screenshots$'
echo "Pictures in $build_dir/screenshots:"
ls "$build_dir/screenshots"
