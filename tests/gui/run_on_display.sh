#!/usr/bin/env bash
# Usage: run_on_display.sh WxHxD COMMAND...
# Runs COMMAND on a virtual X display of its own. The server picks a free display number
# itself (-displayfd), so entries started side by side never race for the same one, as
# they can with xvfb-run -a.
set -u
screen="$1"
shift
work=$(mktemp -d "${TMPDIR:-/tmp}/glyphara-display.XXXXXX")
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -rf "$work"' EXIT
trap 'exit 143' TERM INT
for _ in $(seq 200); do
    [ -s "$work/display" ] && break
    kill -0 "$server" 2>/dev/null || break
    sleep 0.05
done
if [ ! -s "$work/display" ]; then
    echo "run_on_display: the virtual X server did not start: $(cat "$work/xvfb.log")" >&2
    exit 1
fi
export DISPLAY=":$(head -n 1 "$work/display")"
"$@"
