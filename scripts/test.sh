#!/usr/bin/env bash
# Installs what is missing, builds, checks the formatting and runs every test through CTest,
# headless.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
scripts/format.sh --check
# The Debian package, built from build/, checked, installed and started in its lab
# (SERLINQ_SKIP_PACKAGE=1 skips it).
[[ ${SERLINQ_SKIP_PACKAGE-} == 1 ]] || scripts/test-package.sh build
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure --timeout 300 "$@"
