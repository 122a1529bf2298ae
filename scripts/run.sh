#!/usr/bin/env bash
# Installs what is missing, builds, and starts Serlinq in the virtual lab (lab/, see
# tools/virtual-lab.sh; "--second" joins the lab already running, "--dir DIR" chooses another lab
# folder), or with "--real-ports" on the computer's own serial ports, in the current folder.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
"$repo/scripts/build.sh"
if [[ ${1-} == --real-ports ]]; then
    exec "$repo/build/src/serlinq"
fi
exec "$repo/tools/virtual-lab.sh" "$@" -- "$repo/build/src/serlinq"
