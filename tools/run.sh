#!/usr/bin/env bash
# Fresh machine to running program: install what is missing, build, start Glyphara.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/tools/setup.sh"
"$root/tools/build.sh"
exec "$root/build/Glyphara/glyphara"
