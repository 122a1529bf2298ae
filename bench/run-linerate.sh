#!/usr/bin/env bash
# Runs bench_linerate on a virtual display as a user sees the program: once without assistive
# technologies, once with the accessibility bridge on as a screen reader turns it on (a session
# bus, the accessibility bus started on it, Qt's bridge on, and a listener standing for the
# reader that asks for every event).
#     bench/run-linerate.sh [build folder] [seconds]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
seconds=${2:-60}
bench=${BENCH:-$build/bench/bench_linerate}
echo "== without assistive technologies"
QT_QPA_PLATFORM=xcb QT_ACCESSIBILITY=0 xvfb-run -a -s "-screen 0 1280x1024x24" "$bench" "$seconds"
echo "== with the accessibility bridge on and a reader listening"
export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 BENCH=$bench SECONDS_=$seconds
xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- bash -c '
    /usr/bin/python3 "$0"/a11y-listener.py > "${TMPDIR:-/tmp}/a11y-listener.$$" &
    listener=$!
    for _ in $(seq 50); do grep -q listening "${TMPDIR:-/tmp}/a11y-listener.$$" && break; sleep 0.1; done
    "$BENCH" "$SECONDS_"
    kill $listener; wait $listener || true
    rm -f "${TMPDIR:-/tmp}/a11y-listener.$$"' "$here" 2>&1 | grep -v "fd limit"
