#!/usr/bin/env bash
# The cross-built command-line host loads Quillatone_64.dll under Wine and
# prints its record and answers; they must be the Linux module's, line for
# line (only the module's path differs), and the record must be ours.
#   record_check.sh WORK WINDOWS_HOST DLL LINUX_HOST LINUX_MODULE
set -euo pipefail
work=$1 win_host=$2 dll=$3 linux_host=$4 linux_module=$5
wine_run=$(cd "$(dirname "$0")/../../scripts" && pwd)/wine-run.sh
mkdir -p "$work"
rm -rf "$work/linux-root"

# No data folder is needed for the record; keep the Linux side off the home folder.
env -u QUILLATONE_DATA_ROOT "$wine_run" "$win_host" --sample-rate 48000 "$(winepath -w "$dll")" \
  | tr -d '\r' | grep -v '^plug-in: ' > "$work/windows-report.txt"
QUILLATONE_DATA_ROOT=$work/linux-root "$linux_host" --sample-rate 48000 "$linux_module" \
  | grep -v '^plug-in: ' > "$work/linux-report.txt"

for pattern in "^magic: .*'VstP'$" '^inputs: 2$' '^outputs: 2$' '^programs: 50$' '^parameters: 38$' \
               '^initialDelay: 3$' '^flags: .*[(]editor.*replacing' '^effect name: "Quillatone"$'; do
  grep -q "$pattern" "$work/windows-report.txt" || { echo "not in the DLL's record: $pattern" >&2; exit 1; }
done
if ! diff -u "$work/linux-report.txt" "$work/windows-report.txt"; then
  echo "the DLL answers differently from the Linux module" >&2
  exit 1
fi
echo "record and answers match the Linux module ($(wc -l < "$work/windows-report.txt") lines)"
