#!/usr/bin/env bash
# The editor rendered off-screen under Wine (GDI+) and on Linux (cairo), each
# from an empty data root of its own, compared view by view by the Linux
# program (its tolerance is explained there).
#   editor_compare.sh WORK WINDOWS_RENDER LINUX_RENDER
set -euo pipefail
work=$1 win_render=$2 linux_render=$3
wine_run=$(cd "$(dirname "$0")/../../scripts" && pwd)/wine-run.sh
rm -rf "$work"
mkdir -p "$work/windows-root" "$work/linux-root"
"$wine_run" "$win_render" "$(winepath -w "$work/windows-root")" "$(winepath -w "$work/windows.png")" | tr -d '\r'
"$linux_render" "$work/linux-root" "$work/linux.png" --compare "$work/windows.png"
