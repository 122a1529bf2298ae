#!/usr/bin/env bash
# Runs bench_linerate on a virtual display as a user sees the program: once without assistive
# technologies, once with the accessibility bridge on (a session bus, the accessibility bus it
# starts, Qt's bridge forced on as a screen reader would turn it on).
#     bench/run-linerate.sh [build folder] [seconds]
set -euo pipefail
build=${1:-build}
seconds=${2:-60}
bench=${BENCH:-$build/bench/bench_linerate}
echo "== without assistive technologies"
QT_QPA_PLATFORM=xcb QT_ACCESSIBILITY=0 xvfb-run -a -s "-screen 0 1280x1024x24" "$bench" "$seconds"
echo "== with the accessibility bridge on"
QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
    xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- "$bench" "$seconds"
