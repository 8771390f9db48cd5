#!/usr/bin/env bash
# Runs a Windows program under Wine in the build's own throw-away prefix.
# CMake uses it to start the cross-built test programs; scripts/test-windows.sh
# sets WINEPREFIX inside the build folder. It refuses to run without one, so
# nothing ever lands in the user's own ~/.wine or menus.
set -euo pipefail
if [ -z "${WINEPREFIX:-}" ]; then
  echo "wine-run.sh: set WINEPREFIX to a folder inside the build folder (scripts/test-windows.sh does)" >&2
  exit 2
fi
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-winemenubuilder.exe=d}
export WINEDEBUG=${WINEDEBUG:--all}

# Wine now and then fails to start a program while the prefix is busy: it
# exits at once and prints nothing. Such a start is tried once more; a run
# that printed anything on its standard output stands as it is.
out=$(mktemp)
trap 'rm -f "$out"' EXIT
for attempt in 1 2; do
  set +e
  wine "$@" | tee "$out"
  rc=${PIPESTATUS[0]}
  set -e
  if [ "$rc" -ne 0 ] && [ ! -s "$out" ] && [ "$attempt" -eq 1 ]; then
    echo "wine-run.sh: Wine exited with $rc before $1 printed anything; starting it once more" >&2
    continue
  fi
  exit "$rc"
done
