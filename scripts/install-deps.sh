#!/usr/bin/env bash
# Installs the Debian packages that Serlinq needs to build, run and test. Idempotent, and quiet
# when everything is already there.
set -euo pipefail

PACKAGES=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-svg-dev libgl-dev
    clang-format-14             # the format check of the test command
    clang-14 libclang-rt-14-dev  # the sanitized build and the fuzz targets (libFuzzer)
    socat                       # virtual null-modem cables and loopback plugs
    sigrok-cli                  # decodes the lab line's captures in the tests
    cups-daemon cups-client cups-core-drivers  # a private print server for the printing tests
    poppler-utils               # reads the printed pages back in the tests
    xvfb xauth                  # screenshots and headless runs
    openbox                     # a window manager on the tests' display
    libxcb1-dev                 # the tests read the display's stacking order and focus
    fonts-liberation2 fonts-dejavu-core
    python3                     # checks the test board's drawings
)
# The package's test (scripts/test-package.sh): its checkers, and the installed program's window.
PACKAGES+=(lintian desktop-file-utils appstream x11-utils file)

missing=()
for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
((${#missing[@]} == 0)) && exit 0

SUDO=()
if [[ $EUID -ne 0 ]]; then
    if command -v sudo >/dev/null; then SUDO=(sudo); else
        echo "Serlinq needs these Debian packages: ${missing[*]}" >&2
        echo "Run this script as root, or install them with apt-get." >&2
        exit 1
    fi
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq
"${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
