#!/bin/bash
# Usage: take_screenshots.sh GLYPHARA_WINDOW_EXECUTABLE OUTPUT_FOLDER
#
# Photographs Glyphara for its manual: starts the program on a private X display with a
# window manager, a fresh home folder and no saved settings, opens its dialogs with the
# keyboard shortcuts a user would press, and writes one PNG per picture into
# OUTPUT_FOLDER. A picture that cannot be taken (its window never shows up) is reported
# and left out; the manual then says so in its place. The script always ends within its
# time budget (GLYPHARA_SHOTS_BUDGET seconds, 150 by default) and never fails the build.

if [ -z "${GLYPHARA_SHOTS_GUARDED:-}" ]; then
    # Second line of defence: whatever happens inside, the build goes on.
    budget=${GLYPHARA_SHOTS_BUDGET:-150}
    GLYPHARA_SHOTS_GUARDED=1 timeout -k 5 "$((budget + 30))" bash "$0" "$@"
    rc=$?
    [ $rc -ne 0 ] && echo "warning: the screenshot script ended with status $rc; the manual uses what was taken" >&2
    exit 0
fi

set -u
here=$(dirname "$(realpath "$0")")
exe=$(realpath "$1")
out=$(realpath -m "$2")
budget=${GLYPHARA_SHOTS_BUDGET:-150}
deadline=$((SECONDS + budget))
mkdir -p "$out"

work=$(mktemp -d "${TMPDIR:-/tmp}/glyphara-shots.XXXXXX")
pids=()
cleanup() {
    local pid
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        pid=${pids[i]}
        kill -TERM "$pid" 2>/dev/null
    done
    sleep 0.5
    for pid in "${pids[@]}"; do
        kill -KILL "$pid" 2>/dev/null
    done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' TERM INT

taken=()
missing=()
warn() { echo "warning: manual screenshot: $*" >&2; }
time_left() { ((SECONDS < deadline)); }

for tool in Xvfb openbox xdotool import; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        warn "$tool is not installed; no screenshots are taken"
        exit 0
    fi
done

# Xvfb picks a free display itself and reports its number once it accepts clients.
Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do
    [ -s "$work/display" ] && break
    sleep 0.2
done
if [ ! -s "$work/display" ]; then
    warn "the virtual X server did not start: $(tail -n 3 "$work/xvfb.log" | tr '\n' ' ')"
    exit 0
fi
export DISPLAY=":$(head -n 1 "$work/display" | tr -dc '0-9')"

# A private home: no saved settings, window geometry or tips position of the user's own,
# and nothing written outside this folder.
mkdir -p "$work/home" "$work/tmp" "$work/run"
chmod 700 "$work/run"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share" \
       XDG_CACHE_HOME="$work/home/.cache" XDG_RUNTIME_DIR="$work/run" TMPDIR="$work/tmp" \
       GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 LANG=C.UTF-8 LC_ALL=C.UTF-8
unset DBUS_SESSION_BUS_ADDRESS SESSION_MANAGER

openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
sleep 1

# Runs xdotool with a time limit; its --sync waits could otherwise wait for ever.
xdo() { timeout 5 xdotool "$@" 2>/dev/null; }

# Prints the id of the first visible window whose title matches the extended regular
# expression $1, waiting up to $2 seconds.
wait_window() {
    local pattern=$1 until=$((SECONDS + $2)) id
    while ((SECONDS <= until)) && time_left; do
        id=$(xdo search --onlyvisible --name "$pattern" | head -n 1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.2
    done
    return 1
}

# Waits up to $2 seconds until window $1 is no longer visible.
wait_gone() {
    local id=$1 until=$((SECONDS + $2))
    while ((SECONDS <= until)); do
        xdo search --onlyvisible --name '.*' | grep -qx "$id" || return 0
        sleep 0.2
    done
    return 1
}

shoot() {
    local name=$1 id=$2
    # Give the toolkit time to paint the window's contents.
    sleep "${3:-0.8}"
    if timeout 10 import -frame -window "$id" "$out/$name.png" 2>"$work/import.log" && [ -s "$out/$name.png" ]; then
        taken+=("$name")
        return 0
    fi
    rm -f "$out/$name.png"
    warn "$name: the window was found but could not be photographed ($(head -n 1 "$work/import.log"))"
    missing+=("$name")
    return 1
}

# Closes a dialog the way a user would: Escape, then the window manager's close shortcut.
close_window() {
    local id=$1
    xdo windowactivate --sync "$id"
    xdo key --clearmodifiers Escape
    wait_gone "$id" 2 && return 0
    xdo windowactivate --sync "$id"
    xdo key --clearmodifiers alt+F4
    wait_gone "$id" 3 && return 0
    warn "a dialog would not close; the remaining pictures are skipped"
    return 1
}

main_id=""
focus_main() { xdo windowactivate --sync "$main_id" || true; sleep 0.3; }

# Opens a dialog with the keys $3... from the main window, photographs it as $1 once a
# window titled $2 shows up, and closes it again. Returns 2 when a dialog stayed open.
dialog_shot() {
    local name=$1 title=$2 id
    shift 2
    if ! time_left; then
        missing+=("$name")
        return 1
    fi
    focus_main
    xdo key --clearmodifiers "$@"
    if ! id=$(wait_window "$title" 4); then
        warn "$name: no window titled \"$title\" appeared after $*"
        missing+=("$name")
        return 1
    fi
    shoot "$name" "$id"
    close_window "$id" || return 2
    return 0
}

(cd "$(dirname "$exe")" && exec "$exe") >"$work/glyphara.log" 2>&1 &
pids+=($!)
started=$SECONDS

if ! main_id=$(wait_window '^Glyphara' 30); then
    warn "the main window did not appear: $(tail -n 3 "$work/glyphara.log" | tr '\n' ' ')"
    missing+=(main-window)
    echo "manual screenshots: none taken" >&2
    exit 0
fi

# The tips window comes up right after the main window while tips at start-up are on,
# which they are for a new user.
if tip_id=$(wait_window '^Daily tip$' 4); then
    shoot daily-tip "$tip_id" 1
    close_window "$tip_id" || exit 0
else
    warn "daily-tip: no window titled \"Daily tip\" appeared at start-up"
    missing+=(daily-tip)
fi

# The start-up picture stays on top for three seconds, and the first preview is drawn
# two seconds after the window is built.
while ((SECONDS - started < 6)); do sleep 0.2; done
focus_main
shoot main-window "$main_id" 2

run_dialogs() {
    dialog_shot add-tag '^Add a new tag$' alt+shift+a || (($? < 2)) || return
    dialog_shot rename-tag '^Rename current tag$' alt+shift+r || (($? < 2)) || return
    dialog_shot effect-name '^Effect name$' ctrl+shift+s || (($? < 2)) || return
    dialog_shot get-code '^How to add your cool fonts to an existing Website$' alt+w g || (($? < 2)) || return
    # A window without menus (a build that lacks them) would only make every later
    # attempt wait for its time limit.
    local shot opened=no
    for shot in add-tag rename-tag effect-name get-code; do
        [[ " ${missing[*]} " == *" $shot "* ]] || opened=yes
    done
    if [ $opened = no ]; then
        warn "none of the menu shortcuts opened a dialog; the remaining pictures are skipped"
        missing+=(choose-color save-project not-saved open-project about)
        return
    fi

    # The colour chooser opens from a colour field's swatch: a 20 x 20 square with a
    # white frame. The leftmost one belongs to the tag's text colour.
    if time_left; then
        focus_main
        local spot id
        if timeout 10 import -window root -depth 8 "$work/root.ppm" 2>/dev/null &&
           spot=$(python3 "$here/find_swatch.py" "$work/root.ppm" 2>/dev/null) &&
           [ -n "$spot" ]; then
            # shellcheck disable=SC2086
            xdo mousemove $spot click 1
            if id=$(wait_window '^Choose a colou?r$' 6); then
                shoot choose-color "$id"
                close_window "$id" || return
            else
                warn "choose-color: clicking the swatch at $spot opened no colour chooser"
                missing+=(choose-color)
            fi
            xdo mousemove 0 0
        else
            warn "choose-color: no colour swatch found in the main window"
            missing+=(choose-color)
        fi
    fi

    # A new project was never saved, so Save asks for a file at once.
    dialog_shot save-project '^Save project$' ctrl+s || (($? < 2)) || return

    # Open first offers to save a changed project ("No" goes on to the file chooser); an
    # untouched new project has nothing to save, so a tag is added first.
    if time_left; then
        focus_main
        local add
        if add=$(xdo key --clearmodifiers alt+shift+a && wait_window '^Add a new tag$' 4); then
            xdo windowactivate --sync "$add"
            xdo type --delay 20 h4
            xdo key --clearmodifiers Return
            wait_gone "$add" 2 || close_window "$add" || return
            focus_main
        fi
        xdo key --clearmodifiers ctrl+o
        local ask
        if ask=$(wait_window '^Project is not saved$' 6); then
            shoot not-saved "$ask"
            xdo windowactivate --sync "$ask"
            xdo key --clearmodifiers alt+n
            if ! wait_gone "$ask" 2; then
                close_window "$ask" || return
            fi
        else
            warn "not-saved: no window titled \"Project is not saved\" appeared after ctrl+o"
            missing+=(not-saved)
        fi
        local open
        if open=$(wait_window '^Open\.\.\.$' 6); then
            shoot open-project "$open"
            close_window "$open" || return
        else
            warn "open-project: no window titled \"Open...\" appeared"
            missing+=(open-project)
        fi
    fi

    # About: the last item of the Help menu; any click closes the picture.
    if time_left; then
        focus_main
        xdo key --clearmodifiers alt+h
        sleep 0.5
        xdo key --clearmodifiers End Return
        local about
        if about=$(wait_window '^GlypharaSplash$' 5); then
            shoot about "$about"
            xdo mousemove --window "$about" 20 20 click 1
            wait_gone "$about" 2 || warn "about: the window stayed open"
        else
            xdo key --clearmodifiers Escape Escape
            warn "about: no About window appeared after alt+h End Return"
            missing+=(about)
        fi
    fi
}
run_dialogs

echo "manual screenshots taken: ${taken[*]:-none}" >&2
if ((${#missing[@]})); then
    echo "manual screenshots missing: ${missing[*]}" >&2
fi
exit 0
