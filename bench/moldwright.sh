#!/usr/bin/env bash
# Times Tallowby Moldwright making a movie of every glyph of DejaVu Sans, next to FontForge
# turning the same file into an SVG font, in alternating rounds of the same run so that both
# see the same load. Goal: the median time at most a quarter of FontForge's.
# Usage: moldwright.sh BUILD_DIR
set -euo pipefail
build="${1:?usage: moldwright.sh BUILD_DIR}"
maker="$build/Glyphara/Tallowby Moldwright"
font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
rounds=9

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

# Wall-clock and processor seconds of one run.
timed() {
  local line real user sys
  line=$( { TIMEFORMAT='%R %U %S'; time "$@" >/dev/null 2>&1; } 2>&1 )
  read -r real user sys <<<"$line"
  awk -v r="$real" -v u="$user" -v s="$sys" 'BEGIN { printf "%.3f %.3f\n", r, u + s }'
}

# Median and best of the numbers on standard input.
summary() {
  sort -g | awk '{ v[NR] = $1 } END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; printf "%.3f %.3f\n", m, v[1] }'
}

mw_args=(--chars all -o "$work/mw" "$font")
ff_args=(-lang=ff -c 'Open($1); Generate($2)' "$font" "$work/ff.svg")
"$maker" "${mw_args[@]}" >/dev/null 2>&1  # warm the page cache
have_ff=0
if command -v fontforge >/dev/null 2>&1; then
  fontforge "${ff_args[@]}" >/dev/null 2>&1 || true
  [ -s "$work/ff.svg" ] && have_ff=1
fi

: >"$work/mw.times"
: >"$work/ff.times"
for ((i = 0; i < rounds; i++)); do
  timed "$maker" "${mw_args[@]}" >>"$work/mw.times"
  if ((have_ff)); then
    timed fontforge "${ff_args[@]}" >>"$work/ff.times"
  fi
done

read -r mw_med mw_best <<<"$(cut -d' ' -f1 "$work/mw.times" | summary)"
read -r mw_cpu _ <<<"$(cut -d' ' -f2 "$work/mw.times" | summary)"
glyphs=$("$maker" "${mw_args[@]}" 2>/dev/null | sed -n 's/.*, \([0-9]*\) glyphs$/\1/p')
size=$(stat -c %s "$work/mw/DejaVu_Sans.swf")
echo "moldwright: DejaVu Sans, ${glyphs} glyphs, --chars all: median ${mw_med} s, best ${mw_best} s of $rounds (processor ${mw_cpu} s), movie ${size} bytes"

if ((!have_ff)); then
  echo "moldwright: FontForge is not installed or wrote no SVG font; comparison skipped"
  exit 0
fi
read -r ff_med ff_best <<<"$(cut -d' ' -f1 "$work/ff.times" | summary)"
read -r ff_cpu _ <<<"$(cut -d' ' -f2 "$work/ff.times" | summary)"
echo "moldwright: FontForge to SVG font, same file, same rounds: median ${ff_med} s, best ${ff_best} s (processor ${ff_cpu} s)"
awk -v a="$mw_med" -v b="$ff_med" -v c="$mw_best" -v d="$ff_best" -v e="$mw_cpu" -v f="$ff_cpu" 'BEGIN {
  printf "moldwright: ratio Moldwright / FontForge: %.3f by median, %.3f best, %.3f processor (goal: at most 0.25 by median)\n", a / b, c / d, e / f }'
