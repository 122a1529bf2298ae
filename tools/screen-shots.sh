#!/usr/bin/env bash
# Whole-screen pictures of a scene of tools/screenshots, on a display of its own, with a window
# manager (openbox) and without one: OUTPUT_DIR/wm/ and OUTPUT_DIR/nowm/.
#   tools/screen-shots.sh first-emission [OUTPUT_DIR]   the terminal after each emission's first
#                                                       prompt (default: build/first-emission)
#   tools/screen-shots.sh lab-exchange [OUTPUT_DIR]     the exchange on the lab's loopback plug
#                                                       (default: build/lab-exchange)
#   tools/screen-shots.sh menu-walk [OUTPUT_DIR]        every item of the menu, each window it
#                                                       opens (default: build/menu-walk)
# and the other scenes of tools/screenshots likewise: guides, board, pages, about.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
scene=${1:?"which scene: first-emission, lab-exchange, menu-walk, guides, board, pages or about"}
case $scene in
first-emission | lab-exchange | menu-walk | guides | board | pages | about | oscillo) ;;
*) echo "unknown scene: $scene" >&2; exit 2 ;;
esac
out=${2:-$here/build/$scene}
mkdir -p "$out/wm" "$out/nowm"
bash "$here/tests/run-on-display.sh" --wm "$here/build/tools/screenshots" "--$scene" "$out/wm"
bash "$here/tests/run-on-display.sh" "$here/build/tools/screenshots" "--$scene" "$out/nowm"
echo "Pictures in $out"
