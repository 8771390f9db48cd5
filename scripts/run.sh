#!/usr/bin/env bash
# The main job: builds the plug-in and runs it in the command-line host.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-packages.sh"
build="$top/build/release"
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUILLATONE_CHECKS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
# Until the processor module exists: the probe effect in the command-line host.
"$build/tools/host/quillatone-host" "$build/tests/plugin/quillatone_probe.so"
