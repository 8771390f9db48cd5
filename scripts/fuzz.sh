#!/usr/bin/env bash
# Runs one fuzz target under libFuzzer (clang, ASan and UBSan) for a given time.
#   scripts/fuzz.sh TARGET SECONDS [LIBFUZZER OPTIONS...]
#   scripts/fuzz.sh all SECONDS     each target in turn, SECONDS each
# New inputs go to build/fuzz/corpus/TARGET, crashes to build/fuzz/crashes/TARGET;
# copy a crash into tests/fuzz/crashes/TARGET/ to replay it in every test run.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
all=(place_wave curve_file listener_files curve_text preset_text property_list fxp_fxb bridge_files design_cache)
if [ $# -lt 2 ]; then
  echo "usage: $0 TARGET|all SECONDS [libFuzzer options...]; targets: ${all[*]}" >&2
  exit 2
fi
target=$1
seconds=$2
shift 2
"$top/scripts/install-packages.sh"
build="$top/build/fuzz"
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$top" -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLATONE_SANITIZE=ON -DQUILLATONE_FUZZ=ON -DQUILLATONE_BENCH=OFF \
  -DCMAKE_C_FLAGS=-fsanitize=fuzzer-no-link -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link "${launcher[@]}" >/dev/null
targets=("$target")
[ "$target" = all ] && targets=("${all[@]}")
for t in "${targets[@]}"; do
  cmake --build "$build" -j"$(nproc)" --target "fuzz_$t"
  mkdir -p "$build/corpus/$t" "$build/crashes/$t"
  echo "== fuzz_$t for $seconds s"
  "$build/tests/fuzz/fuzz_$t" -max_total_time="$seconds" -artifact_prefix="$build/crashes/$t/" "$@" \
    "$build/corpus/$t" "$top/tests/fuzz/corpus/$t"
done
