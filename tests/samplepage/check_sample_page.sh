#!/bin/bash
# Usage: check_sample_page.sh <sample_page_writer> [screenshot.png]
# Writes the sample page of a three-tag project, loads it in headless Chromium with no
# sIFR scripts present and checks each tag's computed look against all.css. With a
# second argument the rendered page is also saved as a screenshot.
set -euo pipefail
writer=$(realpath "$1")
shot=${2:+$(realpath -m "$2")}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/program" "$work/tmp" "$work/site" "$work/profile"
(cd "$work/program" && HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" TMPDIR="$work/tmp" \
    "$writer" "$work/site")

# A copy of the page with a probe at the end of the body; the page itself stays as written.
probe='<script>(function(){var out=[];["h1","h2","p"].forEach(function(t){var e=document.getElementsByTagName(t)[0];if(!e){out.push(t+" missing");return;}var s=getComputedStyle(e);var shown=e.offsetHeight>0?s.visibility:"collapsed";out.push(t+"|"+s.color+"|"+s.fontSize+"|"+s.textAlign+"|"+s.fontWeight+"|"+s.backgroundColor+"|"+shown+"|"+e.textContent);});var pre=document.createElement("pre");pre.id="probe";pre.textContent=out.join(String.fromCharCode(10));document.body.appendChild(pre);})();</script>'
sed "s#</body>#${probe}</body>#" "$work/site/sample.html" > "$work/site/probe.html"

chrome=(chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run
        --disable-background-networking --disable-component-update --disable-sync
        --user-data-dir="$work/profile" --window-size=1024,768 --virtual-time-budget=2000)
dom=$("${chrome[@]}" --dump-dom "file://$work/site/probe.html" 2>/dev/null)
if ! grep -q '<pre id="probe">' <<<"$dom"; then
    echo "FAIL: the probe did not run"
    exit 1
fi
if [ -n "$shot" ]; then
    "${chrome[@]}" --screenshot="$shot" "file://$work/site/sample.html" >/dev/null 2>&1
fi

expect() {
    if ! grep -qF -- "$1" <<<"$dom"; then
        echo "FAIL: expected line not found: $1"
        echo "$dom" | sed -n '/<pre id="probe">/,/<\/pre>/p'
        exit 1
    fi
}
expect 'h1|rgb(178, 34, 34)|48px|center|700|rgb(255, 255, 255)|visible|Your h1 tag will look like this, and your links will look like this.'
expect 'h2|rgb(30, 107, 46)|30px|right|400|rgb(255, 255, 255)|visible|Your h2 tag will look like this, and your links will look like this.'
expect 'p|rgb(31, 63, 175)|18px|justify|700|rgb(255, 243, 196)|visible|Your p tag will look like this, and your links will look like this.'
echo "sample page renders every tag with its style"
