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
exec wine "$@"
