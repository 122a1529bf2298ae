#!/usr/bin/env bash
# Stands in for the program (and for the interface-unit emulator) inside the virtual lab, for
# test-virtual-lab.sh. It reaches the ports the way the program does, through the ports.232 of
# its working folder and the serial control (serlinq-lab-bridge, named by $LAB_TEST_BRIDGE), and
# leaves its findings in $LAB_TEST_OUT:
#   runs            one line per start: the mode and the working folder;
#   MODE.procs      the lab's processes while the probe ran: "pid start-time name" per line;
#   MODE.passed     written when every check of that mode passed;
#   MODE.failures   what went wrong, if anything.
# Modes: check | serve | second | hang | crash | exit STATUS | emulate DEVICE.
set -uo pipefail
out=${LAB_TEST_OUT:?}
bridge=${LAB_TEST_BRIDGE:?}
mode=${1:?mode}
echo "$mode $PWD" >>"$out/runs"
failed=false

fail() {
    echo "$mode: $*" >>"$out/$mode.failures"
    failed=true
}
pass_if_clean() { $failed || touch "$out/$mode.passed"; }

# The lab's processes are the children of the probe's parent, the lab script.
record_lab_processes() {
    local stat_file stat fields
    for stat_file in /proc/[0-9]*/stat; do
        { stat=$(<"$stat_file"); } 2>/dev/null || continue
        read -ra fields <<<"${stat##*) }"  # fields[1]: parent, fields[19]: start time
        ((fields[1] == PPID)) || continue
        name=${stat#*(}
        echo "${stat%% *} ${fields[19]} ${name%)*}"
    done >"$out/$mode.procs"
}

# The port that ports.232 maps port $1 to (a relative path is the working folder's).
device() { sed -n "s/^$1=//p" ports.232 | tr -d '\r'; }
hex_of() { od -An -v -tx1 | tr -d ' \n'; }
bytes_of() {
    local i
    for ((i = 0; i < ${#1}; i += 2)); do printf '%b' "\\x${1:i:2}"; done
}

# Sends the bytes $3 (hex) on port $1 and expects the bytes $4 (hex) on port $2 within 5 s.
exchange() {
    local from to got receiver count=$((${#4} / 2))
    from=$(device "$1") to=$(device "$2")
    if [[ $from != lab:* || $to != lab:* ]]; then
        fail "$1 ($from) or $2 ($to) is not a lab port"
        return
    fi
    if [[ $1 == "$2" ]]; then
        got=$(bytes_of "$3" | "$bridge" --expect "$count" --timeout 5000 "$from" | hex_of)
    else
        rm -f "$out/$mode.receiving"
        "$bridge" --expect "$count" --timeout 5000 --ready "$out/$mode.receiving" "$to" \
            >"$out/$mode.received" &
        receiver=$!
        wait_for "$out/$mode.receiving"
        bytes_of "$3" | "$bridge" --timeout 5000 "$from"
        wait "$receiver"
        got=$(hex_of <"$out/$mode.received")
    fi
    [[ $got == "$4" ]] || fail "$1 -> $2: sent $3, expected $4, got '$got'"
}

# Opens port $1 through a bridge: descriptor 3 reads from it, 4 writes to it (a coprocess's own
# descriptors do not reach command substitutions).
open_port() {
    rm -f "$out/$mode.open"
    coproc PORT { exec "$bridge" --timeout 30000 --ready "$out/$mode.open" "$1"; }
    local to_bridge=${PORT[1]}
    exec 3<&"${PORT[0]}" 4>&"$to_bridge"
    exec {to_bridge}>&-
    wait_for "$out/$mode.open"
}

# shellcheck source=wait-for.sh
source "$(dirname "${BASH_SOURCE[0]}")/wait-for.sh"

every_byte=$(printf '%02x' {0..255})
case $mode in
    check)
        record_lab_processes
        exchange Com1 Com1 "$every_byte" "$every_byte"
        exchange Com1 Com1 "$every_byte" "$every_byte"  # the plug outlives a closed port
        exchange Com2 Com3 "$every_byte" "$every_byte"
        exchange Com3 Com2 "$every_byte" "$every_byte"
        if wait_for "$out/emulate.ready"; then
            exchange Com4 Com4 "$(printf 'xea 3\r' | hex_of)" "$(printf 'XEA 3\r' | hex_of)"
        fi
        pass_if_clean
        ;;
    serve)  # the first copy: answers one word on Com2 in capitals, then waits to be released
        record_lab_processes
        open_port "$(device Com2)"
        touch "$out/serve.ready"
        word=$(timeout 20 head -c 5 <&3)
        printf '%s' "${word^^}" >&4
        exec 4>&-  # the bridge's input ends: it lets the answer leave, then stops
        wait "$PORT_PID"
        wait_for "$out/serve.release"
        pass_if_clean
        ;;
    second)  # the second copy: the same lab, reached from its own folder
        exchange Com1 Com1 "$every_byte" "$every_byte"
        exchange Com3 Com3 "$(printf hello | hex_of)" "$(printf HELLO | hex_of)"
        pass_if_clean
        ;;
    hang)
        record_lab_processes
        touch "$out/hang.ready"
        exec sleep 60
        ;;
    crash)
        record_lab_processes
        kill -KILL $$
        ;;
    exit)
        record_lab_processes
        exit "${2:?status}"
        ;;
    emulate)  # a stand-in interface unit on com4-peer: answers each letter in capitals
        echo "${2:-}" >"$out/emulate.device"
        echo $$ >"$out/emulate.pid"
        open_port "$2"
        # Slow to stop, as a real one may be: the lab waits for it.
        trap 'sleep 0.3; kill "$PORT_PID" 2>/dev/null; exit 0' TERM
        touch "$out/emulate.ready"
        # One byte at a time.
        while byte=$(dd bs=1 count=1 status=none <&3 2>/dev/null | hex_of) && [[ -n $byte ]]; do
            if [[ $byte == 6[1-9a-f] || $byte == 7[0-9a] ]]; then
                byte=$(printf '%02x' $((0x$byte - 0x20)))
            fi
            bytes_of "$byte" >&4
        done
        ;;
    *) fail "unknown mode" ;;
esac
