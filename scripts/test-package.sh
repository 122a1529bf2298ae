#!/usr/bin/env bash
# Builds the Debian package from the build folder (build/, already built), checks it with
# lintian, desktop-file-validate and appstreamcli, installs it with apt-get (as root or with
# sudo; skipped otherwise), and starts the installed program in the installed virtual lab on a
# display of its own: its main window must appear, the program must end on SIGTERM without a
# crash, and no process of the lab may stay behind.
#
#   scripts/test-package.sh [BUILD_FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
started=$SECONDS
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "test-package: $*" >&2
    exit 1
}

# ---- Building and checking the package --------------------------------------------------------

# What the package holds (the rest of the build folder is the tests').
cmake --build "$build" --target serlinq-package-contents >/dev/null
rm -f "$build"/serlinq_*.deb
(cd "$build" && cpack -G DEB >"$work/cpack.log" 2>&1) || {
    cat "$work/cpack.log" >&2
    fail "cpack failed"
}
debs=("$build"/serlinq_*.deb)
[[ -f ${debs[0]} ]] || fail "cpack made no package"
deb=${debs[0]}
echo "Package: $deb, $(stat -c %s "$deb") bytes"

echo "lintian:"
lintian --fail-on error "$deb" || fail "lintian reports errors"

dpkg-deb -x "$deb" "$work/root"
desktops=("$work"/root/usr/share/applications/*.desktop)
((${#desktops[@]} == 2)) || fail "expected two desktop entries, found ${#desktops[@]}"
desktop-file-validate "${desktops[@]}" || fail "desktop-file-validate"
appstreamcli validate --no-net "$work"/root/usr/share/metainfo/*.metainfo.xml ||
    fail "appstreamcli validate"
for size in 16 32 48 128 256; do
    icon=$work/root/usr/share/icons/hicolor/${size}x$size/apps/serlinq.png
    file -b "$icon" | grep -q "PNG image data, $size x $size" || fail "$icon: not a ${size}px PNG"
done

# ---- Installing it and starting it in the lab -------------------------------------------------

SUDO=()
if [[ $EUID -ne 0 ]]; then
    if sudo -n true 2>/dev/null; then SUDO=(sudo -n); else
        echo "test-package: neither root nor sudo: the package is not installed nor started."
        echo "test-package: $((SECONDS - started)) s"
        exit 0
    fi
fi
DEBIAN_FRONTEND=noninteractive "${SUDO[@]}" apt-get install -y -qq "./$deb" >"$work/apt.log" 2>&1 ||
    {
        cat "$work/apt.log" >&2
        fail "apt-get install failed"
    }
command -v serlinq-lab >/dev/null || fail "serlinq-lab is not on the PATH after installing"

# A home of its own: the lab's folder does not exist yet, nor its config.232.
mkdir "$work/home"
HOME=$work/home xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    set -u
    serlinq-lab >"$HOME/lab.log" 2>&1 &
    lab=$!
    # The start-up window shows first, for five seconds.
    for ((i = 0; i < 200; i++)); do
        if xwininfo -root -tree 2>/dev/null | grep -q "SERLINQ\""; then break; fi
        sleep 0.1
    done
    if ! xwininfo -root -tree | grep -q "SERLINQ\""; then
        echo "the main window did not appear" >&2
        kill "$lab"; wait "$lab"; cat "$HOME/lab.log" >&2; exit 1
    fi
    children=$(pgrep -P "$lab" | tr "\n" " ")
    program=$(pgrep -P "$lab" -x serlinq) || { echo "no program under the lab" >&2; exit 1; }
    kill -TERM "$program"
    status=0
    wait "$lab" || status=$?
    # Killed by the signal (128 + 15) or ended by it: anything else is a crash or a fault.
    if ((status != 0 && status != 143)); then
        echo "the program ended with status $status" >&2; cat "$HOME/lab.log" >&2; exit 1
    fi
    for pid in $children; do
        if kill -0 "$pid" 2>/dev/null; then
            echo "process $pid ($(cat /proc/$pid/comm)) of the lab is still running" >&2
            exit 1
        fi
    done
    [[ -f $HOME/Serlinq/ports.232 ]] || { echo "no ~/Serlinq/ports.232" >&2; exit 1; }
    echo "main window shown; ended with status $status; lab processes stopped: $children"
' || fail "the installed program in the lab"
echo "test-package: $((SECONDS - started)) s"
