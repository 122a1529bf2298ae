#!/usr/bin/env bash
# Installs what is missing, builds, checks the formatting and runs every test through CTest,
# headless; then builds the whole program again with AddressSanitizer and
# UndefinedBehaviorSanitizer in build-asan/ and runs every test there too, the parsers' short fuzz
# runs included (label "fuzz").
#
#   scripts/test.sh [--no-sanitize] [CTEST OPTIONS...]
#
# --no-sanitize skips the sanitized build, for a quick run; CTest options apply to both runs.
set -euo pipefail
cd "$(dirname "$0")/.."
sanitize=1
if [[ ${1-} == --no-sanitize ]]; then
    sanitize=0
    shift
fi
scripts/build.sh
scripts/format.sh --check
# The Debian package, built from build/, checked, installed and started in its lab
# (SERLINQ_SKIP_PACKAGE=1 skips it).
[[ ${SERLINQ_SKIP_PACKAGE-} == 1 ]] || scripts/test-package.sh build
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure --timeout 300 -j2 "$@"
((sanitize)) || exit 0
exec scripts/test-sanitized.sh "$@"
