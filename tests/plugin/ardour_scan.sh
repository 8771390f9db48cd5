#!/bin/sh
# Runs Debian's ardour VST 2.4 scanner on a module and checks what it read.
# Usage: ardour_scan.sh MODULE EXPECTED-TEXT...   Exit 77 (skip) without ardour.
set -eu
module=$1
shift
scanner=$(dpkg -L ardour 2>/dev/null | grep '/ardour-vst-scanner$' | head -n 1 || true)
if [ -z "$scanner" ] || [ ! -x "$scanner" ]; then
    echo "ardour-vst-scanner is not installed"
    exit 77
fi
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
output=$(HOME=$home LD_LIBRARY_PATH=$(dirname "$scanner") timeout 120 "$scanner" -v -f "$module" 2>&1) || true
echo "$output"
if echo "$output" | grep -q '\[ERROR\]'; then
    echo "FAIL: the scanner reported an error"
    exit 1
fi
echo "$output" | grep -q 'Found Plugin:' || { echo "FAIL: no plug-in found"; exit 1; }
for expected in "$@"; do
    echo "$output" | grep -qF -- "$expected" || { echo "FAIL: missing: $expected"; exit 1; }
done
