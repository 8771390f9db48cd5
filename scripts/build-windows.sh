#!/usr/bin/env bash
# Cross-builds the Windows plug-in Quillatone_64.dll (Release, 64-bit) with
# mingw-w64 into build/windows. Its path is the last line printed.
# Build jobs: $QUILLATONE_JOBS, else all cores.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build/windows"
jobs=${QUILLATONE_JOBS:-$(nproc)}
"$top/scripts/install-packages.sh"
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" "$@" >/dev/null
cmake --build "$build" -j"$jobs" --target Quillatone >&2
cat "$build/dll-path.txt"
