#!/usr/bin/env bash
# The sanitized half of the test command: configures and builds build-asan/ (clang, -O1,
# AddressSanitizer with LeakSanitizer, UndefinedBehaviorSanitizer that aborts, the fuzz targets)
# and runs every test in it, two at a time.
#
# Every process the tests start (the lab's line daemon, the emulator, the program itself) writes
# its sanitizer reports into build-asan/sanitizer-reports/, so that a report from a helper
# process fails the run as surely as one from a test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
folder=build-asan
if [[ ! -f $folder/build.ninja ]]; then
    cmake -S . -B "$folder" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" \
        -DSERLINQ_SANITIZE=ON -DSERLINQ_FUZZ=ON -DSERLINQ_BENCH=OFF >/dev/null
fi
cmake --build "$folder"

reports=$PWD/$folder/sanitizer-reports
rm -rf "$reports"
mkdir -p "$reports"
# A quarantine of 32 MiB still catches a use after free in any test, and keeps the line
# daemon's memory figures within the bounds its tests allow under the sanitizers.
export ASAN_OPTIONS="detect_leaks=1:quarantine_size_mb=32:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1:log_path=$reports/asan"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$reports/ubsan"
export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizers/lsan.supp:print_suppressions=0"
if command -v llvm-symbolizer-14 >/dev/null; then
    export ASAN_SYMBOLIZER_PATH=$(command -v llvm-symbolizer-14)
fi
export QT_QPA_PLATFORM=offscreen
status=0
ctest --test-dir "$folder" --output-on-failure --timeout 300 -j2 "$@" || status=$?

shopt -s nullglob
found=("$reports"/*)
if ((${#found[@]} > 0)); then
    echo "Sanitizer reports (${#found[@]}), in $reports:" >&2
    for f in "${found[@]}"; do
        echo "---- $(basename "$f")" >&2
        head -n 60 "$f" >&2
    done
    status=1
fi
exit "$status"
