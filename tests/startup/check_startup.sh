#!/bin/bash
# Starts glyphara PROJECT.xml under a private X server and home, and reads the windows'
# titles: the main window names the project, saved; a missing project brings the Open
# command's "Unable to open" box and leaves a new, unsaved project. Each is ended by a
# signal and must leave its temporary folder empty.
set -u
program=$1
for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
work=$(mktemp -d /tmp/glyphara-startup-XXXXXX)
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
mkdir -p "$work/home" "$work/tmp" "$work/run" "$work/site"
chmod 700 "$work/run"
export DISPLAY=":$(head -n 1 "$work/display" | tr -dc '0-9')" HOME="$work/home" \
       XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share" \
       XDG_CACHE_HOME="$work/home/.cache" XDG_RUNTIME_DIR="$work/run" TMPDIR="$work/tmp" \
       GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1
unset DBUS_SESSION_BUS_ADDRESS SESSION_MANAGER
# No tip window in the way.
mkdir -p "$HOME/Tallowby Software/Glyphara"
echo "showdailytips=0" > "$HOME/Tallowby Software/Glyphara/glyphara.cfg"

# Two tags in a font that comes with the program; no files listed, so nothing is missing.
font='DejaVu Sans [regular][italic][bold][bolditalic]'
tag() {
    cat <<XML
   <$1 font="$font" foundry="DejaVu" size="$2" align="0" color="#8B1A1A" linkcolor="#0000FF" backgroundcolor="#FFFFFF" hovercolor="#FF0000" opacity="100" bold="0" italic="0" stroked="0" understroked="0">
    <bevel enabled="0" angle="45" distance="4.000000" strength="1" quality="2" highlightcolor="#0000FF" shadowcolor="#FF0000" type="1"/>
    <glow enabled="0" strength="2" blurx="6.000000" blury="6.000000" knockout="0" inner="0" quality="1" alpha="0.250000" color="#FFFF00"/>
    <dropshadow enabled="0" quality="2" angle="45" knockout="0" distance="4.000000" color="#000000" strength="1.000000"/>
    <blur enabled="0" quality="2" blurx="5" blury="5"/>
   </$1>
XML
}
{
    echo '<?xml version="1.0" encoding="utf-8"?>'
    echo '<GlypharaProject appname="Glyphara" version="4.1" build="20081220">'
    echo ' <project projectname="bakery">'
    echo '  <tags>'
    tag h3 24
    tag h2 32
    echo '  </tags>'
    echo '  <files/>'
    echo ' </project>'
    echo '</GlypharaProject>'
} > "$work/site/bakery.xml"

# Prints the titles of the visible windows, one a line.
titles() { timeout 5 xdotool search --onlyvisible --name '.' getwindowname %@ 2>/dev/null; }
# Waits up to 30 s for a visible window whose title matches the regular expression.
wait_title() {
    local until=$((SECONDS + 30))
    while ((SECONDS < until)); do
        titles | grep -Eq "$1" && return 0
        sleep 0.3
    done
    return 1
}
# Ends the program as the session or kill ends it; nothing of its previews may remain.
stop() {
    kill "$1" 2>/dev/null
    wait "$1" 2>/dev/null
    local left
    left=$(ls -A "$TMPDIR")
    [ -z "$left" ] || fail "ended by a signal, the program left in the temporary folder: $left"
}

"$program" "$work/site/bakery.xml" >"$work/run1.log" 2>&1 &
app=$!
pids+=($app)
wait_title '^Glyphara +- bakery$' || fail "the window did not open with the project: $(titles | tr '\n' '|')"
sleep 1
titles | grep -Eq '^(Unable to open|Some warnings happened|Some errors happened)$' &&
    fail "opening the project brought a message: $(titles | tr '\n' '|')"
stop "$app"

"$program" "$work/site/gone.xml" >"$work/run2.log" 2>&1 &
app=$!
pids+=($app)
wait_title '^Unable to open$' || fail "no message for a missing project: $(titles | tr '\n' '|')"
titles | grep -Eq '^Glyphara +\(not saved\)$' || fail "no new project behind the message: $(titles | tr '\n' '|')"
stop "$app"
# Last, as the X server goes with it: the display lost (the session ended), the program
# still leaves nothing behind.
"$program" "$work/site/bakery.xml" >"$work/run3.log" 2>&1 &
app=$!
pids+=($app)
wait_title '^Glyphara +- bakery$' || fail "the window did not open again: $(titles | tr '\n' '|')"
kill "${pids[0]}"
timeout 20 tail --pid="$app" -f /dev/null || fail "the program did not end with its display"
left=$(ls -A "$TMPDIR")
[ -z "$left" ] || fail "its display lost, the program left in the temporary folder: $left"
echo "start-up project: ok"
