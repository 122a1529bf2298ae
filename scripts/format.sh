#!/usr/bin/env bash
# Formats the C++ sources with the committed .clang-format, or with --check lists the files that
# are not formatted and fails. The formatter is pinned to Debian's clang-format 14, so that every
# machine formats alike.
set -euo pipefail
cd "$(dirname "$0")/.."
formatter=clang-format-14
if ! command -v "$formatter" >/dev/null; then
    echo "$formatter is missing: run scripts/install-deps.sh" >&2
    exit 1
fi
mapfile -t files < <(git ls-files --cached --others --exclude-standard -- \
    'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'tools/*.cpp' 'tools/*.h' \
    'bench/*.cpp' 'bench/*.h')
if [[ ${1-} == --check ]]; then
    bad=()
    for f in "${files[@]}"; do
        [[ -f $f ]] || continue
        if ! "$formatter" --style=file "$f" | cmp -s - "$f"; then bad+=("$f"); fi
    done
    if ((${#bad[@]} > 0)); then
        echo "Not formatted (run scripts/format.sh):" >&2
        printf '  %s\n' "${bad[@]}" >&2
        exit 1
    fi
    echo "Formatting: ${#files[@]} files checked."
else
    "$formatter" -i --style=file "${files[@]}"
fi
