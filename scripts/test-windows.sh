#!/usr/bin/env bash
# The Windows stage of the tests: cross-builds Quillatone_64.dll and the test
# programs into build/windows and runs them under Wine in a throw-away prefix
# inside that folder, then compares the DLL with the Linux build in
# build/test (scripts/test.sh builds that first).
set -euo pipefail
# Every Wine program of the stage shares one Xvfb display: the editor window
# tests need one, and Wine's desktop keeps the display it was started with.
if [ -z "${QUILLATONE_WINE_XVFB:-}" ]; then
  exec env QUILLATONE_WINE_XVFB=1 "$(dirname "$0")/../tests/run_under_xvfb.sh" "$0" "$@"
fi
top=$(cd "$(dirname "$0")/.." && pwd)
start=$SECONDS
linux=$top/build/test
build=$top/build/windows
jobs=${QUILLATONE_JOBS:-$(nproc)}
for needed in processor/Quillatone.so tools/host/quillatone-host tools/databuilder/quillatone-databuilder \
              tests/windows/windows_wav_difference; do
  if [ ! -x "$linux/$needed" ]; then
    echo "test-windows.sh: $linux/$needed is missing: run scripts/test.sh (it builds build/test first)" >&2
    exit 1
  fi
done

dll=$("$top/scripts/build-windows.sh" -DQUILLATONE_LINUX_BUILD_DIR="$linux" | tail -n 1)
echo "== Windows build: $dll"
cmake --build "$build" -j"$jobs"

export WINEPREFIX=$build/wineprefix
export WINEDLLOVERRIDES=winemenubuilder.exe=d
export WINEDEBUG=-all
# One persistent Wine server with its services for all test programs, started
# here with no terminal: a service started by a test would inherit that
# test's output pipe and ctest would wait for it forever. Stopped at the end.
[ -d "$WINEPREFIX/drive_c" ] || echo "== Wine prefix: $WINEPREFIX"
mkdir -p "$WINEPREFIX"
wineserver -p </dev/null >/dev/null 2>&1
trap 'wineserver -k 2>/dev/null || true' EXIT
wineboot --init </dev/null >/dev/null 2>&1

cd "$build"
ctest --output-on-failure -j"$jobs" --timeout 300
echo "== Windows stage: $((SECONDS - start)) s"
