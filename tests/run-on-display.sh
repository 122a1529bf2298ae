#!/usr/bin/env bash
# Runs a test program on a display of its own (Xvfb), on Qt's xcb platform; with --wm, under a
# window manager (openbox) started on that display first.
#   run-on-display.sh [--wm] PROGRAM [ARGS...]
set -euo pipefail

wm=0
if [[ ${1:-} == --wm ]]; then
    wm=1
    shift
fi
export QT_QPA_PLATFORM=xcb SERLINQ_WINDOW_MANAGER=$wm

# Inside the display: the window manager (when asked for) lives as long as the test.
inner='
if [[ $SERLINQ_WINDOW_MANAGER == 1 ]]; then
    openbox --sm-disable >/dev/null 2>&1 &
    trap "kill $! 2>/dev/null" EXIT
fi
"$@"
'
exec xvfb-run -a -s "-screen 0 1280x1024x24" bash -c "$inner" run-on-display "$@"
