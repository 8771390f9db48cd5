#!/usr/bin/env bash
# Quillatone_64.dll under Wine renders pink noise in MIX, HEADPHONES and
# PLACES from the data folder in the Wine user's profile, which it finds
# itself (SHGetFolderPathA; QUILLATONE_DATA_ROOT is removed from its
# environment). The Linux module renders the same input from the same
# folder. The outputs must agree within 1e-5 of full scale: the two builds
# differ only in their maths libraries.
# A damaged design cache in that folder must be replaced by the DLL.
#   render_compare.sh WORK WINDOWS_HOST DLL LINUX_HOST LINUX_MODULE DATABUILDER WAV_DIFFERENCE
set -euo pipefail
work=$1 win_host=$2 dll=$3 linux_host=$4 linux_module=$5 databuilder=$6 wav_difference=$7
wine_run=$(cd "$(dirname "$0")/../../scripts" && pwd)/wine-run.sh
tolerance=1e-5
mkdir -p "$work"

# The profile folder as Windows programs see it, and where it is on this side.
profile=$(env -u QUILLATONE_DATA_ROOT "$wine_run" cmd /c echo %USERPROFILE% | tr -d '\r')
root=$(winepath -u "$profile")
root=${root%/}
[ -d "$root" ] || { echo "no Wine profile folder at $root" >&2; exit 1; }
product=$root/Harlox/Quillatone
echo "Wine profile: $profile = $root"

# Data written by the Linux builder: the same files serve both platforms.
if [ ! -f "$product/README.txt" ]; then
  "$databuilder" "$root" >/dev/null
fi
cache=$product/bin/pretab.qtb

# One input for both: 3 s of pink noise at 48 kHz.
QUILLATONE_DATA_ROOT=$root "$linux_host" --render "$work/scratch.wav" --signal pink --seconds 3 \
  --sample-rate 48000 --save-input "$work/input.wav" --quiet "$linux_module" >/dev/null
printf 'damaged...' > "$cache"

status=0
for entry in "MIX 0" "HEADPHONES 0.5" "PLACES 1"; do
  read -r mode value <<<"$entry"
  win_out=$work/windows-$mode.wav
  linux_out=$work/linux-$mode.wav
  rm -f "$win_out" "$linux_out"
  env -u QUILLATONE_DATA_ROOT "$wine_run" "$win_host" --render "$(winepath -w "$win_out")" \
    --input "$(winepath -w "$work/input.wav")" --tail 1 --param "15=$value" --quiet --label "windows $mode" \
    "$(winepath -w "$dll")" | tr -d '\r'
  if [ "$mode" = MIX ]; then
    size=$(stat -c %s "$cache")
    [ "$size" -eq 28012360 ] || { echo "the DLL left the damaged cache ($size bytes)" >&2; status=1; }
  fi
  QUILLATONE_DATA_ROOT=$root "$linux_host" --render "$linux_out" --input "$work/input.wav" --tail 1 \
    --param "15=$value" --quiet --label "linux $mode" "$linux_module"
  echo -n "$mode: "
  "$wav_difference" "$linux_out" "$win_out" "$tolerance" || status=1
done
exit $status
