#!/bin/sh
# Runs a program under an Xvfb of its own. The server picks a free display
# itself (-displayfd), so servers started side by side never take the same one.
# usage: run_under_xvfb.sh PROGRAM [ARGS...]
set -u
dir=$(mktemp -d "${TMPDIR:-/tmp}/quillatone-xvfb.XXXXXX") || exit 1
mkfifo "$dir/display" || exit 1
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$dir/display" 2>"$dir/log" &
server=$!
# Blocks until the server has written its display number, or has exited.
read -r display <"$dir/display"
if [ -z "${display:-}" ]; then
    echo "run_under_xvfb: Xvfb did not start:" >&2
    cat "$dir/log" >&2
    rm -rf "$dir"
    exit 1
fi
DISPLAY=":$display" "$@"
status=$?
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
rm -rf "$dir"
exit $status
