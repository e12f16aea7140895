#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer and the sanitizers, then runs
# each for a while, starting from its checked-in corpus (fuzz/corpus/<target>).
#
#   scripts/fuzz.sh [seconds per target, default 60] [target...]
#
# Targets: nativehost resolver_request ledger_snapshot url_sanitizer (all when
# none is named). Inputs the fuzzer finds interesting are kept in
# <build dir>/corpus/<target>, findings (the input that broke a property or
# crashed) in <build dir>/findings/<target>; the checked-in corpus is never
# written. Exits non-zero when any target has a finding.
set -euo pipefail
cd "$(dirname "$0")/.."

all_targets=(nativehost resolver_request ledger_snapshot url_sanitizer)
seconds=${1:-60}
if ! [[ $seconds =~ ^[0-9]+$ ]]; then
  echo "usage: scripts/fuzz.sh [seconds per target] [target...]" >&2
  exit 2
fi
shift $(($# > 0 ? 1 : 0))
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")
for target in "${targets[@]}"; do
  if [ ! -d "fuzz/corpus/$target" ]; then
    echo "Unknown fuzz target: $target (known: ${all_targets[*]})" >&2
    exit 2
  fi
done

scripts/install-deps.sh fuzz

build_dir=${TOVRA_FUZZ_BUILD_DIR:-build/fuzz}
cmake -S . -B "$build_dir" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ \
  -DTOVRA_LIBFUZZER=ON \
  -DTOVRA_BUILD_TESTS=OFF \
  -DTOVRA_BUILD_BENCHMARKS=OFF
programs=()
for target in "${targets[@]}"; do
  programs+=("tovra_${target}_fuzz")
done
cmake --build "$build_dir" --parallel "${TOVRA_JOBS:-$(nproc)}" --target "${programs[@]}"

failed=()
for target in "${targets[@]}"; do
  corpus="$build_dir/corpus/$target"
  findings="$build_dir/findings/$target"
  mkdir -p "$corpus" "$findings"
  echo "== $target: $seconds s"
  if ! "$build_dir/fuzz/tovra_${target}_fuzz" -max_total_time="$seconds" -timeout=10 \
    -artifact_prefix="$findings/" -print_final_stats=1 "$corpus" "fuzz/corpus/$target"; then
    failed+=("$target")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "Findings for: ${failed[*]} (inputs in $build_dir/findings/)" >&2
  exit 1
fi
echo "No findings in ${targets[*]}."
