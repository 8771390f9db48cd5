#!/usr/bin/env bash
# The main job: installs the packages, builds Release, builds the default data
# folder when it is missing, then renders demo signals (or the WAV file given)
# through the plug-in in MIX, HEADPHONES and PLACES with the command-line host.
#
#   scripts/run.sh [INPUT.wav]
#
# Output: $QUILLATONE_DEMO_OUT, else build/demo. Data root:
# $QUILLATONE_DATA_ROOT, else $XDG_DATA_HOME, else $HOME/.local/share; the
# data folder is <root>/Harlox/Quillatone. Build jobs: $QUILLATONE_JOBS, else
# all cores.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

input=${1:-}
if [ $# -gt 1 ]; then
  echo "usage: scripts/run.sh [INPUT.wav]" >&2
  exit 2
fi
if [ -n "$input" ] && [ ! -f "$input" ]; then
  echo "run.sh: no such file: $input" >&2
  exit 2
fi
out=${QUILLATONE_DEMO_OUT:-$top/build/demo}
jobs=${QUILLATONE_JOBS:-$(nproc)}

# The data root as the plug-in finds it on Linux.
if [ -n "${QUILLATONE_DATA_ROOT:-}" ]; then
  root=$QUILLATONE_DATA_ROOT
elif [[ "${XDG_DATA_HOME:-}" == /* ]]; then
  root=$XDG_DATA_HOME
elif [[ "${HOME:-}" == /* ]]; then
  root=$HOME/.local/share
else
  echo "run.sh: no data root: set QUILLATONE_DATA_ROOT, XDG_DATA_HOME or HOME" >&2
  exit 1
fi
product=$root/Harlox/Quillatone

echo "== packages"
"$top/scripts/install-packages.sh"

build=$top/build/release
echo "== building (Release) in $build"
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUILLATONE_CHECKS=OFF >/dev/null
mkdir -p "$build"
set +e
cmake --build "$build" -j"$jobs" 2>&1 | tee "$build/build.log" | grep --line-buffered 'Built target'
rc=${PIPESTATUS[0]}
set -e
if [ "$rc" -ne 0 ]; then
  grep -E -A3 'error|Error' "$build/build.log" | head -n 60 >&2
  echo "run.sh: the build failed; the whole log is $build/build.log" >&2
  exit 1
fi
host=$build/tools/host/quillatone-host

# The data folder: built only where none is present, so measured data put
# there by hand is never overwritten.
has_data() {
  [ -f "$product/README.txt" ] || [ -f "$product/bin/nef_rec.trc" ] ||
    [ -n "$(ls -A "$product/HP" 2>/dev/null)" ] || [ -n "$(ls -A "$product/Places" 2>/dev/null)" ]
}
if has_data; then
  echo "== data folder: $product"
  [ -f "$product/README.txt" ] || echo "   (not written by quillatone-databuilder; used as it is)"
else
  echo "== data folder missing: building it in $product"
  "$build/tools/databuilder/quillatone-databuilder" "$root"
fi

# The plug-in: Quillatone.so once it is built, the probe module until then.
plugin=$build/processor/Quillatone.so
[ -f "$plugin" ] || plugin=$(find "$build" -name Quillatone.so -type f 2>/dev/null | head -n 1)
probe=""
if [ -z "$plugin" ]; then
  plugin=$build/tests/plugin/quillatone_probe.so
  probe=" (probe)"
  echo "!! Quillatone.so is not built yet: rendering through the PROBE module, a plain"
  echo "!! stereo gain with no modes. Its files are named *-probe.wav and sound like the input."
fi
echo "== plug-in: $plugin"
# The plug-in's record as the command-line host sees it.
"$host" --sample-rate 48000 "$plugin"

mkdir -p "$out"
modes=("MIX 0" "HEADPHONES 0.5" "PLACES 1")  # parameter 15: int(2 v) = 0, 1, 2
status=0
written=()

# render_all NAME SOURCE-OPTION VALUE: the source through the three modes.
render_all() {
  local name=$1 how=$2 what=$3 entry mode value file
  local save=()
  if [ "$how" = --signal ]; then
    save=(--save-input "$out/$name.wav")
    written+=("$out/$name.wav")
  fi
  echo "== $name"
  for entry in "${modes[@]}"; do
    read -r mode value <<<"$entry"
    local params=(--param "15=$value")
    file=$out/$name-$mode.wav
    if [ -n "$probe" ]; then
      params=()
      file=$out/$name-$mode-probe.wav
    fi
    if "$host" --render "$file" "$how" "$what" "${save[@]}" "${params[@]}" --tail 1.5 \
         --label "$mode$probe" "$plugin"; then
      written+=("$file")
    else
      status=1
      echo "run.sh: the $mode render of $name failed" >&2
    fi
    save=()
  done
}

if [ -n "$input" ]; then
  render_all "$(basename "$input" .wav)" --input "$input"
else
  render_all pink-noise --signal pink
  render_all music --signal music
fi

echo "== written to $out:"
for f in "${written[@]}"; do
  echo "   $(basename "$f")"
done
exit $status
