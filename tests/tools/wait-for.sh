# shellcheck shell=bash
# Sourced by the lab's test and probe, which define fail().

# Waits, at most 20 s, for a file to appear.
wait_for() {
    local tries
    for ((tries = 0; tries < 200; tries++)); do
        [[ -e $1 ]] && return 0
        sleep 0.1
    done
    fail "$1 did not appear"
    return 1
}
