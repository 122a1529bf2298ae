#!/usr/bin/env bash
# Installs what is missing, builds, checks the formatting and runs every test through CTest,
# headless.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
scripts/format.sh --check
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure --timeout 300 "$@"
