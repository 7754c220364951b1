#!/usr/bin/env bash
# Times the sIFR runtime against Chromium's own web-font drawing of the same page.
# $1: the build folder (its Glyphara/ program folder provides the font maker).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="${1:-$here/../build}"
if [ ! -d "$here/../tests/browser/node_modules/playwright-core" ]; then
  echo "sifr bench: playwright-core missing; run tools/setup.sh first" >&2
  exit 1
fi
GLYPHARA_PROGRAM_DIR="$build/Glyphara" node "$here/sifr-bench.js"
