#!/usr/bin/env bash
# Runs the virtual lab (tools/virtual-lab.sh) in a temporary folder with lab-probe.sh in place of
# the program and of the interface-unit emulator, and checks its wiring, the working folders and
# files it prepares, the exit status it passes through, and that whichever way it ends it leaves
# none of its processes or its socket behind. SERLINQ_LAB_LINE and LAB_TEST_BRIDGE name the built
# line daemon and serlinq-lab-bridge.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
lab_script=$(cd "$here/../../tools" && pwd)/virtual-lab.sh
tmp=$(mktemp -d)
lab=$tmp/lab
export LAB_TEST_OUT=$tmp/out
mkdir -p "$LAB_TEST_OUT"
printf '#!/usr/bin/env bash\nexec %q emulate "$@"\n' "$here/lab-probe.sh" >"$tmp/velmo-stub"
chmod +x "$tmp/velmo-stub"
export SERLINQ_LAB_EMULATOR=$tmp/velmo-stub
: "${SERLINQ_LAB_LINE:?}" "${LAB_TEST_BRIDGE:?}"
# What the labs print goes to a log, shown on failure: a process the lab failed to stop would
# otherwise hold the test's output open.
log=$tmp/lab.log
lab() { "$lab_script" "$@" >>"$log" 2>&1; }

background=()  # labs started in the background, stopped if the test itself stops early
on_exit() {
    if ((${#background[@]} > 0)); then kill "${background[@]}" 2>/dev/null; wait; fi
    rm -rf "$tmp"
}
trap on_exit EXIT

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
expect_eq() {  # label, actual, expected
    [[ $2 == "$3" ]] || fail "$1: got '$2', expected '$3'"
}
runs() { wc -l <"$LAB_TEST_OUT/runs" 2>/dev/null || echo 0; }

# The probe of mode $1 passed all its checks (its own reports are shown otherwise).
expect_passed() {
    [[ -e $LAB_TEST_OUT/$1.passed ]] || fail "probe '$1' did not pass"
    if [[ -e $LAB_TEST_OUT/$1.failures ]]; then fail "$(cat "$LAB_TEST_OUT/$1.failures")"; fi
}

# shellcheck source=wait-for.sh
source "$(dirname "${BASH_SOURCE[0]}")/wait-for.sh"

# Every process the probe of mode $2 saw in the lab has ended (a number reused by a newer process
# does not count): the line, the emulator and the program; the socket is gone. Survivors are
# reported, then stopped.
expect_lab_stopped() {
    local label=$1 procs=$LAB_TEST_OUT/$2.procs pid start name stat fields lines=0 others=0
    while read -r pid start name; do
        if [[ $name == serlinq-lab-li* ]]; then lines=$((lines + 1)); else others=$((others + 1)); fi
        stat=$(cat "/proc/$pid/stat" 2>/dev/null) || continue
        read -ra fields <<<"${stat##*) }"
        if [[ ${fields[19]} == "$start" && ${fields[0]} != Z ]]; then
            fail "$label: $name ($pid) is still running"
            kill -KILL "$pid"
        fi
    done <"$procs"
    expect_eq "$label: line processes in the lab" "$lines" 1
    expect_eq "$label: other processes in the lab (emulator, program)" "$others" 2
    [[ -e $lab/line/socket ]] && fail "$label: the line's socket is left in the lab folder"
}

# 1. The wiring, seen by a program started with a relative path from another folder.
(cd "$here" && lab --dir "$lab" -- ./lab-probe.sh check)
expect_eq "check: exit status" "$?" 0
expect_passed check
expect_eq "check: working folder" "$(grep '^check ' "$LAB_TEST_OUT/runs")" "check $lab"
expect_eq "emulator's device" "$(cat "$LAB_TEST_OUT/emulate.device")" "lab:$lab/line/com4-peer"
expect_eq "line folder's mode" "$(stat -c %a "$lab/line")" 700
grep -q "^$(cat "$LAB_TEST_OUT/emulate.pid") " "$LAB_TEST_OUT/check.procs" ||
    fail "the emulator is not among the lab's processes"
expect_eq "ports.232" "$(tr -d '\r' <"$lab/ports.232")" \
    "$(printf 'Com1=lab:line/com1\nCom2=lab:line/com2\nCom3=lab:line/com3\nCom4=lab:line/com4')"
expect_lab_stopped check check

# 2. The program's exit status is the lab's, and the lab is taken down however the program ends.
while read -r label status args; do
    rm -f "$LAB_TEST_OUT"/*.procs
    # shellcheck disable=SC2086  # args holds the probe's words
    lab --dir "$lab" -- "$here/lab-probe.sh" $args
    expect_eq "$label: exit status" "$?" "$status"
    expect_lab_stopped "$label" "${args%% *}"
done <<'CASES'
success        0    exit 0
failure        7    exit 7
killed-program 137  crash
CASES

# 3. Stopping the lab itself (kill, the end of a session) stops the program and the cables too.
rm -f "$LAB_TEST_OUT"/*.procs
"$lab_script" --dir "$lab" -- "$here/lab-probe.sh" hang >>"$log" 2>&1 &
background+=("$!")
if wait_for "$LAB_TEST_OUT/hang.ready"; then
    kill -TERM "${background[-1]}"
    wait "${background[-1]}"
    expect_eq "killed lab: exit status" "$?" 143
    expect_lab_stopped "killed lab" hang
fi
unset 'background[-1]'

# 4. A second copy on the other end of the cable, in its own folder, talks to the first one.
rm -f "$LAB_TEST_OUT"/*.procs
"$lab_script" --dir "$lab" -- "$here/lab-probe.sh" serve >>"$log" 2>&1 &
background+=("$!")
if wait_for "$LAB_TEST_OUT/serve.ready"; then
    lab --dir "$lab" --second -- "$here/lab-probe.sh" second
    expect_eq "second copy: exit status" "$?" 0
    expect_passed second
    expect_eq "second copy: working folder" "$(grep '^second ' "$LAB_TEST_OUT/runs")" \
        "second $lab/second"
    expect_eq "second copy: ports.232" "$(tr -d '\r' <"$lab/second/ports.232")" \
        "$(printf 'Com1=lab:../line/com1\nCom2=lab:../line/com2\nCom3=lab:../line/com3\nCom4=lab:../line/com4')"
    expect_eq "second copy: config.232" "$(od -An -c <"$lab/second/config.232")" \
        "$(printf '"9600","paire","E","7","127","1","Com3","7F",3,"aucun",0,"tlipu"\r\n' \
            | od -An -c)"

    # Its configuration, once there, is its own.
    printf 'edited\r\n' >"$lab/second/config.232"
    lab --dir "$lab" --second -- "$here/lab-probe.sh" exit 0
    expect_eq "second copy again: exit status" "$?" 0
    expect_eq "second copy keeps its config.232" "$(cat "$lab/second/config.232")" \
        "$(printf 'edited\r\n')"

    # A second lab in the same folder is refused, and leaves the running one alone.
    before=$(runs)
    lab --dir "$lab" -- "$here/lab-probe.sh" exit 0
    expect_eq "lab already running: exit status" "$?" 1
    expect_eq "lab already running: runs of the program" "$(runs)" "$before"
    [[ -S $lab/line/socket ]] || fail "lab already running: its socket was disturbed"

    touch "$LAB_TEST_OUT/serve.release"
    wait "${background[-1]}"
    expect_eq "first copy: exit status" "$?" 0
    expect_passed serve
    expect_lab_stopped "first copy" serve
fi
unset 'background[-1]'

# 5. Without a running lab, a second copy is not started.
before=$(runs)
lab --dir "$tmp/no-lab" --second -- "$here/lab-probe.sh" exit 0
expect_eq "no lab: exit status" "$?" 1
expect_eq "no lab: runs of the program" "$(runs)" "$before"

if ((failures > 0)); then
    echo "$failures check(s) failed; what the labs printed:" >&2
    cat "$log" >&2
    exit 1
fi
echo "virtual lab: all checks passed"
