#!/usr/bin/env bash
# Fresh machine to test results: install what is missing, build, run every test.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/tools/setup.sh"
"$root/tools/build.sh"
cd "$root/build"
ctest --output-on-failure -j2
