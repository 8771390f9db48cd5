#!/usr/bin/env bash
# Builds the tree with clang in a folder of its own and runs every test there.
# The benchmarks are left out: they are measured with the main build. No debug
# information: this stage checks that clang builds and passes, and -g makes
# its build about half as long again. Engine checks as in the Release tree of
# scripts/run.sh: none in Quillatone.so, always in the macOS flavour (the gcc
# and sanitizer trees test the .so with them).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build/test-clang"
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" -DQUILLATONE_CHECKS=OFF -DQUILLATONE_BENCH=OFF \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build"
ctest --output-on-failure -j"$(nproc)" --timeout 600
