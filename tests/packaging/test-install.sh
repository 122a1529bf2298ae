#!/usr/bin/env bash
# The installed tree: cmake --install into a staging folder, which is then moved (the installed
# commands find each other relative to themselves), and serlinq-lab run there with a stand-in
# for the program that reports where it runs and what it finds.
#   test-install.sh BUILD_FOLDER
set -uo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

check() {  # check WHAT CONDITION...
    local what=$1
    shift
    if "$@"; then echo "ok   $what"; else
        echo "FAIL $what"
        failures=$((failures + 1))
    fi
}

cmake --install "$build" --prefix "$work/staged" >"$work/install.log" 2>&1 ||
    { cat "$work/install.log"; exit 1; }
mv "$work/staged" "$work/moved dir"
root=$work/moved\ dir

for f in bin/serlinq bin/serlinq-lab libexec/serlinq/serlinq-lab-line \
    libexec/serlinq/serlinq-lab-bridge libexec/serlinq/velmo-emulator \
    libexec/serlinq/virtual-lab.sh; do
    check "$f is installed and runs" test -x "$root/$f"
done
for f in share/man/man1/serlinq.1.gz share/icons/hicolor/scalable/apps/serlinq.svg \
    share/icons/hicolor/48x48/apps/serlinq.png; do
    check "$f is installed" test -s "$root/$f"
done
entries=("$root"/share/applications/*.desktop)
check "two desktop entries" test ${#entries[@]} -eq 2
for e in "${entries[@]}"; do
    exec_line=$(sed -n 's/^Exec=//p' "$e")
    check "$(basename "$e"): Exec names an installed command" test -x "$root/bin/${exec_line%% *}"
done

# The stand-in: writes its folder and the lab's ports.232 to a report, stays while its folder
# holds a file "hold", then ends with the status in its folder's "status" file (0 without one).
mv "$root/bin/serlinq" "$work/serlinq.real"
cat >"$root/bin/serlinq" <<'EOF'
#!/usr/bin/env bash
{ pwd; cat ports.232 2>/dev/null; } >"$REPORT"
while [[ -f hold ]]; do sleep 0.05; done
[[ -f status ]] && exit "$(cat status)"
exit 0
EOF
chmod +x "$root/bin/serlinq"

# run HOME [ARGS...]: serlinq-lab's status, with its error text in $work/err.
run() {
    local home=$1
    shift
    HOME=$home REPORT=$work/report "$root/bin/serlinq-lab" "$@" >/dev/null 2>"$work/err"
}

# Each case: a home folder (created or not), serlinq-lab's arguments, the status expected, and
# the folder the program must run in (empty: it must not run).
home1="$work/home one"
mkdir -p "$home1"
cases=(
    "$home1||0|$home1/Serlinq"
    "$home1|--second|0|$home1/Serlinq/second"
    "$home1|--verbose|2|"
    "$home1|--second --second|2|"
)
for c in "${cases[@]}"; do
    IFS='|' read -r home args expected folder <<<"$c"
    rm -f "$work/report"
    # --second needs the lab running: a first copy, held until the second one has run.
    if [[ $args == --second && $expected == 0 ]]; then
        mkdir -p "$home/Serlinq"
        touch "$home/Serlinq/hold"
        rm -f "$work/first"
        HOME=$home REPORT=$work/first "$root/bin/serlinq-lab" >/dev/null 2>&1 &
        first=$!
        for ((i = 0; i < 100; i++)); do
            [[ -f $work/first ]] && break
            sleep 0.05
        done
    fi
    status=0
    # shellcheck disable=SC2086
    run "$home" $args || status=$?
    check "serlinq-lab $args: status $expected" test "$status" -eq "$expected"
    if [[ -n $folder ]]; then
        check "serlinq-lab $args: runs in $folder" test "$(head -1 "$work/report" 2>/dev/null)" = "$folder"
        check "serlinq-lab $args: ports.232 names four lab ends" \
            test "$(grep -c '=lab:' "$work/report" 2>/dev/null)" -eq 4
    else
        check "serlinq-lab $args: the program did not run" test ! -e "$work/report"
    fi
    if [[ -n ${first-} ]]; then
        rm -f "$home/Serlinq/hold"
        wait "$first"
        unset first
    fi
done

# The program's status comes back through the lab, and a second copy without a lab is refused.
home2=$work/home2
mkdir -p "$home2/Serlinq"
echo 7 >"$home2/Serlinq/status"
status=0
run "$home2" || status=$?
check "the program's status 7 comes back" test "$status" -eq 7
rm -rf "$home2/Serlinq/line"
status=0
run "$home2" --second || status=$?
check "a second copy without a lab is refused" test "$status" -eq 1
check "the refusal names serlinq-lab" grep -q serlinq-lab "$work/err"

((failures == 0)) || { echo "$failures failed"; exit 1; }
