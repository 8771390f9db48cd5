#!/usr/bin/env bash
# The main job: builds the plug-in, shows it in the command-line host and
# renders the demo through it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-packages.sh"
build="$top/build/release"
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUILLATONE_CHECKS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
# The plug-in's record as the command-line host sees it.
"$build/tools/host/quillatone-host" --sample-rate 48000 "$build/processor/Quillatone.so"
# The demo: builds the data folder when it is missing ($QUILLATONE_DATA_ROOT,
# else $XDG_DATA_HOME, else ~/.local/share), then renders generated pink noise
# and a music-like passage (or the WAV given as argument) in MIX, HEADPHONES
# and PLACES into build/demo, with one level line per mode.
"$build/tools/render/quillatone-render" --out "$top/build/demo" "$@"
