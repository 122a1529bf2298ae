#!/usr/bin/env bash
# Stands in for the program (and for the interface-unit emulator) inside the virtual lab, for
# test-virtual-lab.sh. It reaches the ports the way the program does, through the ports.232 of
# its working folder, and leaves its findings in $LAB_TEST_OUT:
#   runs            one line per start: the mode and the working folder;
#   MODE.procs      the lab's processes while the probe ran: "pid start-time name" per line;
#   MODE.passed     written when every check of that mode passed;
#   MODE.failures   what went wrong, if anything.
# Modes: check | serve | second | hang | crash | exit STATUS | emulate DEVICE.
set -uo pipefail
out=${LAB_TEST_OUT:?}
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

# The device that ports.232 maps port $1 to (a relative path is the working folder's).
device() { sed -n "s/^$1=//p" ports.232 | tr -d '\r'; }
hex_of() { od -An -v -tx1 | tr -d ' \n'; }
bytes_of() {
    local i
    for ((i = 0; i < ${#1}; i += 2)); do printf '%b' "\\x${1:i:2}"; done
}

# Sends the bytes $3 (hex) on port $1 and expects the bytes $4 (hex) on port $2 within 5 s.
exchange() {
    local from to got
    from=$(device "$1") to=$(device "$2")
    if [[ ! -c $from || ! -c $to ]]; then
        fail "$1 ($from) or $2 ($to) is not a device"
        return
    fi
    exec 3<>"$from" 4<>"$to"
    bytes_of "$3" >&3
    got=$(timeout 5 head -c $((${#4} / 2)) <&4 | hex_of)
    exec 3>&- 4>&-
    [[ $got == "$4" ]] || fail "$1 -> $2: sent $3, expected $4, got '$got'"
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
        exec 3<>"$(device Com2)"
        touch "$out/serve.ready"
        word=$(timeout 20 head -c 5 <&3)
        printf '%s' "${word^^}" >&3
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
        exec 3<>"$2" || exit 1
        trap 'sleep 0.3; exit 0' TERM  # slow to stop, as a real one may be: the lab waits for it
        touch "$out/emulate.ready"
        # One byte at a time, leaving the line's settings as the lab made them.
        while byte=$(dd bs=1 count=1 status=none <&3 2>/dev/null | hex_of) && [[ -n $byte ]]; do
            if [[ $byte == 6[1-9a-f] || $byte == 7[0-9a] ]]; then
                byte=$(printf '%02x' $((0x$byte - 0x20)))
            fi
            bytes_of "$byte" >&3
        done
        ;;
    *) fail "unknown mode" ;;
esac
