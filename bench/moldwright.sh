#!/usr/bin/env bash
# Times Tallowby Moldwright making a movie of every glyph of DejaVu Sans, next to FontForge
# turning the same file into an SVG font. Goal: at most half of FontForge's time.
# Usage: moldwright.sh BUILD_DIR
set -euo pipefail
build="${1:?usage: moldwright.sh BUILD_DIR}"
maker="$build/Glyphara/Tallowby Moldwright"
font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
runs=5

if [ ! -x "$maker" ]; then
  echo "moldwright: $maker is not built; build the moldwright target first"
  exit 0
fi
if [ ! -f "$font" ]; then
  echo "moldwright: $font is missing (Debian package fonts-dejavu-core)"
  exit 0
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Best wall-clock time of several runs, in seconds, and the processor time of that run.
best_of() {
  local best="" cpu="" line real user sys
  for ((i = 0; i < runs; i++)); do
    line=$( { TIMEFORMAT='%R %U %S'; time "$@" >/dev/null 2>&1; } 2>&1 )
    read -r real user sys <<<"$line"
    if [ -z "$best" ] || awk -v a="$real" -v b="$best" 'BEGIN { exit !(a < b) }'; then
      best=$real
      cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.3f", u + s }')
    fi
  done
  echo "$best $cpu"
}

read -r mw mwcpu <<<"$(best_of "$maker" --chars all -o "$work/mw" "$font")"
glyphs=$("$maker" --chars all -o "$work/mw" "$font" 2>/dev/null | sed -n 's/.*, \([0-9]*\) glyphs$/\1/p')
size=$(stat -c %s "$work/mw/DejaVu_Sans.swf")
echo "moldwright: DejaVu Sans, ${glyphs} glyphs, --chars all: ${mw} s (best of $runs; processor ${mwcpu} s), movie ${size} bytes"

if ! command -v fontforge >/dev/null 2>&1; then
  echo "moldwright: FontForge is not installed; comparison skipped"
  exit 0
fi
read -r ff ffcpu <<<"$(best_of fontforge -lang=ff -c 'Open($1); Generate($2)' "$font" "$work/ff.svg")"
if [ ! -s "$work/ff.svg" ]; then
  echo "moldwright: FontForge wrote no SVG font; comparison skipped"
  exit 0
fi
echo "moldwright: FontForge to SVG font, same file: ${ff} s (best of $runs; processor ${ffcpu} s)"
awk -v a="$mw" -v b="$ff" 'BEGIN { printf "moldwright: ratio Moldwright / FontForge: %.3f (goal: at most 0.5)\n", a / b }'
