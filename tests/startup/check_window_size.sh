#!/bin/bash
# Starts glyphara again and again under a window manager while both processor cores are
# kept busy, and reads the size each main window comes to once its start is over (its
# preview's web process running): a new user's and a stored size must be the size the
# window keeps throughout, never its minimum.
set -u
program=$1
for tool in Xvfb openbox xdotool xprop xev pgrep; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
work=$(mktemp -d /tmp/glyphara-winsize-XXXXXX)
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do
    [ -s "$work/display" ] && break
    sleep 0.2
done
[ -s "$work/display" ] || fail "the virtual X server did not start"
export DISPLAY=":$(head -n 1 "$work/display" | tr -dc '0-9')" GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1
unset DBUS_SESSION_BUS_ADDRESS SESSION_MANAGER
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.2
done

# The machine as busy as a build on both cores makes it.
for _ in 1 2; do
    bash -c 'while :; do :; done' &
    pids+=($!)
done

# The outer size of a window: its own size and the frame the window manager put round it.
outer_size() {
    local size extents l r t b
    size=$(xdotool getwindowgeometry "$1" 2>/dev/null | sed -n 's/^ *Geometry: //p')
    extents=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ' ')
    [ -n "$size" ] && [ -n "$extents" ] || return 1
    IFS=, read -r l r t b <<<"$extents"
    echo "$((${size%x*} + l + r))x$((${size#*x} + t + b))"
}

# One start: HOME's settings (empty for a new user) and the size the window must keep.
# Once taken in by the window manager, the window must never be given another size:
# a size it loses for a moment counts as much as one it keeps.
start() {
    local settings=$1 expected=$2 run=$3 home app window size until watcher client other tips
    home="$work/home$run"
    mkdir -p "$home/Tallowby Software/Glyphara" "$home/tmp" "$work/run$run"
    chmod 700 "$work/run$run"
    [ -n "$settings" ] && printf '%s\n' $settings >"$home/Tallowby Software/Glyphara/glyphara.cfg"
    HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
        XDG_CACHE_HOME="$home/.cache" XDG_RUNTIME_DIR="$work/run$run" TMPDIR="$home/tmp" \
        "$program" >"$work/app$run.log" 2>&1 &
    app=$!
    until=$((SECONDS + 60))
    window=
    while ((SECONDS < until)) && [ -z "$window" ]; do
        window=$(xdotool search --onlyvisible --name '^Glyphara ' 2>/dev/null | head -n 1)
        [ -n "$window" ] || sleep 0.1
    done
    watcher=
    if [ -n "$window" ]; then
        xev -id "$window" -event structure >"$work/events$run" 2>/dev/null &
        watcher=$!
    fi
    # The web view starts once the window has been drawn, after the window manager has
    # taken the window in and the placement has been put right.
    while ((SECONDS < until)) && ! pgrep -P "$app" WebKitWebProces >/dev/null; do sleep 0.2; done
    size=
    while [ -n "$window" ] && ((SECONDS < until)); do
        size=$(outer_size "$window")
        [ "$size" = "$expected" ] && break
        sleep 0.2
    done
    client=$(xdotool getwindowgeometry "$window" 2>/dev/null | sed -n 's/^ *Geometry: //p')
    # A new user is shown the daily tips, after the main window.
    tips=ok
    if [ -z "$settings" ]; then
        tips="; no tip window"
        while ((SECONDS < until)); do
            xdotool search --onlyvisible --name '^Daily tip$' >/dev/null 2>&1 && { tips=ok; break; }
            sleep 0.2
        done
    fi
    [ -n "$watcher" ] && kill "$watcher" 2>/dev/null
    kill "$app" 2>/dev/null
    wait "$app" 2>/dev/null
    # Sizes below 100 pixels are the bare window the toolkit maps before its first layout.
    other=$(sed -n 's/.*width \([0-9]*\), height \([0-9]*\).*/\1x\2/p' "$work/events$run" 2>/dev/null |
        awk -F x -v keep="$client" '$1 >= 100 && $0 != keep' | sort -u | tr '\n' ' ')
    echo "start $run: ${size:-no window}, expected $expected${other:+; for a while $other(inside the frame)}${tips/#ok/}"
    [ "$size" = "$expected" ] && [ -z "$other" ] && [ "$tips" = ok ]
}

failed=0
run=0
for round in 1 2 3; do
    for case in "|1024x768" \
                "showdailytips=0 windowsizew=1024 windowsizeh=768|1024x768" \
                "showdailytips=0 windowposx=50 windowposy=60 windowsizew=900 windowsizeh=740|900x740"; do
        run=$((run + 1))
        start "${case%|*}" "${case#*|}" "$run" || failed=$((failed + 1))
    done
done
((failed == 0)) || fail "$failed of $run starts ended at another size"
echo "window size: all $run starts kept their size"
