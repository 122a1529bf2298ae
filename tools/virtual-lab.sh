#!/usr/bin/env bash
# Runs a program in a virtual serial lab, for computers without serial ports:
#   Com1        a loopback plug: what is sent comes back;
#   Com2, Com3  the two ends of a null-modem cable (a second copy of the program takes Com3);
#   Com4        one end of a cable whose other end, com4-peer, is taken by the interface-unit
#               emulator when build/tools/velmo-emulator exists (started as
#               "velmo-emulator LAB/com4-peer"), and left free otherwise.
# The lab folder holds the ports' links and ports.232, and is the program's working folder.
# Every process the lab starts is stopped when the program ends, however it ends.
#
# Usage: tools/virtual-lab.sh [--dir DIR] [--second] [--] PROGRAM [ARGS...]
#   --dir DIR  the lab folder (default: lab/ in the repository)
#   --second   run PROGRAM as a second copy, in DIR/second, on the lab already running in DIR;
#              unless DIR/second/config.232 exists, that copy starts on Com3.
# The exit status is the program's. SERLINQ_LAB_EMULATOR names another emulator to start on
# com4-peer (the lab's own test uses a stand-in).
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
emulator=${SERLINQ_LAB_EMULATOR:-$repo/build/tools/velmo-emulator}
lab=$repo/lab
second=false

usage() {
    echo "usage: $0 [--dir DIR] [--second] [--] PROGRAM [ARGS...]" >&2
    exit 2
}
while (($# > 0)); do
    case $1 in
        --dir) (($# > 1)) || usage; lab=$2; shift 2 ;;
        --second) second=true; shift ;;
        --) shift; break ;;
        -*) usage ;;
        *) break ;;
    esac
done
(($# > 0)) || usage
program=$1
shift
# The program runs in the lab folder: anchor relative paths to the caller's folder first.
[[ $lab == /* ]] || lab=$PWD/$lab
if [[ $program == */* && $program != /* ]]; then program=$PWD/$program; fi

lab_running() {
    local port
    for port in com1 com2 com3 com4; do [[ -c $lab/$port ]] || return 1; done
}

# Every process started here. On any exit (the program's end, Ctrl+C, kill) they are stopped
# and waited for, so that no cable is left behind.
children=()
# shellcheck disable=SC2317  # run by the EXIT trap
stop_children() {
    if ((${#children[@]} > 0)); then
        kill "${children[@]}" 2>/dev/null || true
        wait "${children[@]}" 2>/dev/null || true
    fi
}
trap stop_children EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Runs the program in the current folder and exits with its status. It runs in the background
# so that a signal to the lab is handled at once (by stopping the program) rather than after
# the program's end; "<&0" keeps the terminal as its input.
run_program() {
    "$program" "$@" <&0 &
    local pid=$!
    children+=("$pid")
    local status=0
    wait "$pid" || status=$?
    unset 'children[-1]'  # reaped: its number may be reused now
    exit "$status"
}

if $second; then
    if ! lab_running; then
        echo "No virtual lab is running in $lab: start one first (scripts/run.sh)." >&2
        exit 1
    fi
    mkdir -p "$lab/second"
    cd "$lab/second"
    printf 'Com%d=../com%d\n' 1 1 2 2 3 3 4 4 >ports.232
    if [[ ! -e config.232 ]]; then
        printf '%s\r\n' '"9600","paire","E","7","127","1","Com3","7F",3,"aucun",0,"tlipu"' \
            >config.232
    fi
    run_program "$@"
fi

if lab_running; then
    echo "A virtual lab is already running in $lab: add --second to join it." >&2
    exit 1
fi
mkdir -p "$lab"
cd "$lab"
for link in com1 com2 com3 com4 com4-peer; do
    if [[ -L $link ]]; then rm -f "$link"; fi  # left by a lab that was killed outright
done
socat PTY,link=com1,raw,echo=0 PIPE &
children+=("$!")
socat PTY,link=com2,raw,echo=0 PTY,link=com3,raw,echo=0 &
children+=("$!")
socat PTY,link=com4,raw,echo=0 PTY,link=com4-peer,raw,echo=0 &
children+=("$!")
for ((tries = 0; tries < 100; tries++)); do
    if lab_running && [[ -c com4-peer ]]; then break; fi
    sleep 0.05
done
if ! lab_running || [[ ! -c com4-peer ]]; then
    echo "socat did not set up the virtual lab's ports in $lab." >&2
    exit 1
fi
if [[ -x $emulator ]]; then
    "$emulator" "$lab/com4-peer" </dev/null &
    children+=("$!")
fi
printf 'Com%d=com%d\n' 1 1 2 2 3 3 4 4 >ports.232
run_program "$@"
