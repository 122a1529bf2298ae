#!/usr/bin/env bash
# Runs a program in a virtual serial lab, for computers without serial ports. The lab's ports are
# the ends of one simulated line (serlinq-lab-line, beside this script once installed, in
# build/tools in the source tree), which carries frames bit by bit in real time: speeds, formats,
# line errors, breaks, modem lines and handshaking as on cables.
#   Com1        a loopback plug wired "modem nul": what is sent comes back, RTS to CTS, DTR to
#               DSR and DCD;
#   Com2, Com3  the two ends of a null-modem cable (a second copy of the program takes Com3);
#   Com4        one end of a straight cable whose other end, com4-peer, is taken by the
#               interface-unit emulator when velmo-emulator is there beside the line (started as
#               "velmo-emulator lab:LAB/line/com4-peer"), and left free otherwise.
# The lab folder holds the line's private folder (line/, its socket) and ports.232, which names
# the ends in the lab form "ComN=lab:line/comN"; it is the program's working folder. Every
# process the lab starts is stopped when the program ends, however it ends.
#
# Usage: tools/virtual-lab.sh [--dir DIR] [--second] [--] PROGRAM [ARGS...]
#   --dir DIR  the lab folder (default: lab/ in the repository, ~/Serlinq once installed)
#   --second   run PROGRAM as a second copy, in DIR/second, on the lab already running in DIR;
#              unless DIR/second/config.232 exists, that copy starts on Com3.
# The exit status is the program's. SERLINQ_LAB_EMULATOR names another emulator to start on
# com4-peer (the lab's own test uses a stand-in), SERLINQ_LAB_LINE another line daemon.
set -euo pipefail

# Installed, the lab's tools sit beside this script (the serlinq-lab command passes the lab
# folder); in the source tree they are in build/tools and the lab folder is lab/.
here=$(cd "$(dirname "$0")" && pwd)
if [[ -x $here/serlinq-lab-line ]]; then
    tools=$here
    lab=${HOME:?}/Serlinq
    start_hint="start serlinq-lab first"
else
    repo=$(cd "$here/.." && pwd)
    tools=$repo/build/tools
    lab=$repo/lab
    start_hint="start one first (scripts/run.sh)"
fi
emulator=${SERLINQ_LAB_EMULATOR:-$tools/velmo-emulator}
line=${SERLINQ_LAB_LINE:-$tools/serlinq-lab-line}
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

# A line answers on the socket (a lab killed outright leaves a socket that nothing answers).
lab_running() {
    [[ -S $lab/line/socket ]] &&
        socat -u OPEN:/dev/null "UNIX-CONNECT:$lab/line/socket,type=5" 2>/dev/null
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
        echo "No virtual lab is running in $lab: $start_hint." >&2
        exit 1
    fi
    mkdir -p "$lab/second"
    cd "$lab/second"
    printf 'Com%d=lab:../line/com%d\n' 1 1 2 2 3 3 4 4 >ports.232
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
    if [[ -L $link ]]; then rm -f "$link"; fi  # left by a lab of pseudo-terminal pairs
done
if [[ ! -x $line ]]; then
    echo "The lab's line $line is missing (in the source tree: run scripts/build.sh first)." >&2
    exit 1
fi
"$line" --folder "$lab/line" >/dev/null &
children+=("$!")
for ((tries = 0; tries < 100; tries++)); do
    if lab_running || ! kill -0 "${children[-1]}" 2>/dev/null; then break; fi
    sleep 0.05
done
if ! lab_running; then
    echo "The lab's line did not start in $lab/line." >&2
    exit 1
fi
if [[ -x $emulator ]]; then
    "$emulator" "lab:$lab/line/com4-peer" </dev/null &
    children+=("$!")
fi
printf 'Com%d=lab:line/com%d\n' 1 1 2 2 3 3 4 4 >ports.232
run_program "$@"
