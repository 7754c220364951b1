#!/bin/bash
# Starts the program with a project under a private X server, session bus and
# accessibility bus, as a desktop with a screen reader runs it, and has check_tree.py
# read the windows over AT-SPI.
set -u
program=$1
checker=$2
python=/usr/bin/python3
for tool in xvfb-run dbus-run-session openbox xdotool /usr/libexec/at-spi-bus-launcher; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
"$python" -c 'import pyatspi' 2>/dev/null || { echo "SKIP: python3-pyatspi is not installed"; exit 77; }

work=$(mktemp -d /tmp/glyphara-a11y-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home/Tallowby Software/Glyphara" "$work/tmp" "$work/run" "$work/site"
chmod 700 "$work/run"

font='DejaVu Sans [regular][italic][bold][bolditalic]'
{
    echo '<?xml version="1.0" encoding="utf-8"?>'
    echo '<GlypharaProject appname="Glyphara" version="4.1" build="20081220">'
    echo ' <project projectname="bakery">'
    echo '  <tags>'
    echo "   <h1 font=\"$font\" foundry=\"DejaVu\" size=\"30\" align=\"0\" color=\"#8B1A1A\" linkcolor=\"#0000FF\" backgroundcolor=\"#FFFFFF\" hovercolor=\"#FF0000\" opacity=\"100\" bold=\"0\" italic=\"0\" stroked=\"0\" understroked=\"0\">"
    echo '    <bevel enabled="1" angle="45" distance="4.000000" strength="1" quality="2" highlightcolor="#0000FF" shadowcolor="#FF0000" type="1"/>'
    echo '    <glow enabled="1" strength="2" blurx="6.000000" blury="6.000000" knockout="0" inner="0" quality="1" alpha="0.250000" color="#FFFF00"/>'
    echo '    <dropshadow enabled="1" quality="2" angle="45" knockout="0" distance="4.000000" color="#000000" strength="1.000000"/>'
    echo '    <blur enabled="0" quality="2" blurx="5" blury="5"/>'
    echo '   </h1>'
    echo '  </tags>'
    echo '  <files/>'
    echo ' </project>'
    echo '</GlypharaProject>'
} > "$work/site/bakery.xml"

export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share" \
       XDG_CACHE_HOME="$work/home/.cache" XDG_RUNTIME_DIR="$work/run" TMPDIR="$work/tmp" \
       GSETTINGS_BACKEND=memory GTK_MODULES=gail:atk-bridge
unset NO_AT_BRIDGE DBUS_SESSION_BUS_ADDRESS SESSION_MANAGER AT_SPI_BUS_ADDRESS

# Everything runs inside the private session; each process started is ended by its id.
xvfb-run -a -s '-screen 0 1600x1200x24' dbus-run-session -- bash -c '
    /usr/libexec/at-spi-bus-launcher --launch-immediately >"$0/bus.log" 2>&1 &
    bus=$!
    openbox >"$0/openbox.log" 2>&1 &
    wm=$!
    "$1" "$0/site/bakery.xml" >"$0/program.log" 2>&1 &
    app=$!
    "$2" "$3" "$0/site/bakery.xml"
    result=$?
    kill $app 2>/dev/null; wait $app 2>/dev/null
    kill $wm $bus 2>/dev/null; wait $wm $bus 2>/dev/null
    exit $result
' "$work" "$program" "$python" "$checker"
