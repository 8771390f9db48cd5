#!/usr/bin/env bash
# The sanitizer stage of the test command: the convolution engine, the
# processor and the readers of outside data built with ASan and UBSan, and
# their tests run (the fuzz corpus and saved crash inputs among them).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build/sanitize"
jobs=${QUILLATONE_JOBS:-$(nproc)}
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
# -O1 and line tables only: quicker to build, and still exact stack traces.
# Ninja: make builds several named targets one after another.
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLATONE_SANITIZE=ON -DQUILLATONE_BENCH=OFF \
  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" \
  "${launcher[@]}" >/dev/null
pattern='^(convolution|processor|fuzz)_|^tools_curveconvert_test$'
targets=$(cmake --build "$build" --target help | sed -n 's/^\([a-z0-9_]*\): .*/\1/p' | grep -E "$pattern")
# shellcheck disable=SC2086
cmake --build "$build" -j"$jobs" --target $targets
cd "$build"
# Tests of the programs not built here are left out.
ctest --output-on-failure -j"$jobs" --timeout 600 -E '_NOT_BUILT$|^(editor_x11_window|vstgui_x11|aubridge_|plugin_|tools_(databuilder|demo|host)_)'
