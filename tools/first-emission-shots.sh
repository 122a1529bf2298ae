#!/usr/bin/env bash
# The whole screen after the first emission of each emission item, on a display of its own, with
# a window manager (openbox) and without one: OUTPUT_DIR/wm/ and OUTPUT_DIR/nowm/.
#   tools/first-emission-shots.sh [OUTPUT_DIR]   (default: build/first-emission)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$here/build/first-emission}
mkdir -p "$out/wm" "$out/nowm"
bash "$here/tests/run-on-display.sh" --wm "$here/build/tools/screenshots" --first-emission "$out/wm"
bash "$here/tests/run-on-display.sh" "$here/build/tools/screenshots" --first-emission "$out/nowm"
echo "Pictures in $out"
