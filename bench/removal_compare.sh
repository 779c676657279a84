#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times the two removals from end to end (open, clean, save) on one generated package of a
# million words, side by side with the physical floor (unzip the package and zip it again at zip's
# default level) and with the python-docx script that drops repeated paragraphs. Prints the best
# of several runs of each and the ratios the removals are held to.
#
#   bench/removal_compare.sh BUILD_DIR [WORDS] [RUNS]
set -euo pipefail

build=${1:?usage: removal_compare.sh BUILD_DIR [WORDS] [RUNS]}
words=${2:-1000000}
runs=${3:-5}
here=$(cd "$(dirname "$0")" && pwd)
bench="$build/bench/removal_bench"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$bench" --write-package "$work/source.docx" "$words"
unzip -p "$work/source.docx" word/document.xml | wc -c | awk '{ printf "document XML: %.1f MB\n", $1 / 1e6 }'

# The best of $runs runs of a command: "wall cpu" in seconds, cpu being user + system time of the
# command and its children. On a machine shared with other work the processor time is the steadier
# figure; both are printed.
best() {
    local best_wall=999999 best_cpu=999999 line
    for _ in $(seq "$runs"); do
        line=$( { TIMEFORMAT='%R %U %S'; time "$@" > /dev/null 2>&1; } 2>&1 | tail -1)
        read -r best_wall best_cpu <<< "$(echo "$line $best_wall $best_cpu" |
            awk '{ w = $1; c = $2 + $3; print (w < $4 ? w : $4), (c < $5 ? c : $5) }')"
    done
    echo "$best_wall $best_cpu"
}

floor_once() {
    rm -rf "$work/unpacked" "$work/repacked.docx"
    unzip -q "$work/source.docx" -d "$work/unpacked"
    (cd "$work/unpacked" && zip -q -r "$work/repacked.docx" .)
}

floor=$(best floor_once)
unchanged=$(best "$bench" --clean none "$work/source.docx" "$work/unchanged.docx")
lines=$(best "$bench" --clean lines "$work/source.docx" "$work/lines.docx")
words_time=$(best "$bench" --clean words "$work/source.docx" "$work/words.docx")
# Debian's python3-docx belongs to the system interpreter, which need not be the first on PATH.
interpreter=/usr/bin/python3
[ -x "$interpreter" ] || interpreter=python3
python=""
if "$interpreter" -c 'import docx' 2> /dev/null && [ -f "$here/python_docx_dedupe.py" ]; then
    python=$(best "$interpreter" "$here/python_docx_dedupe.py" "$work/source.docx" "$work/python.docx")
fi

ratio() {
    echo "$1 $2" | awk '{ printf "%.2f", $1 / $2 }'
}
show() {
    local label=$1 times=$2 wall cpu
    read -r wall cpu <<< "$times"
    printf '%-34s wall %7.3f s   cpu %7.3f s' "$label" "$wall" "$cpu"
    if [ -n "${3:-}" ]; then
        local floor_wall floor_cpu
        read -r floor_wall floor_cpu <<< "$3"
        printf '   (%s x / %s x %s)' "$(ratio "$wall" "$floor_wall")" "$(ratio "$cpu" "$floor_cpu")" "$4"
    fi
    printf '\n'
}

show 'floor (unzip + zip -r)' "$floor"
show 'open + save, unchanged' "$unchanged" "$floor" floor
show 'line mode, open + save' "$lines" "$floor" floor
show 'word mode, open + save' "$words_time" "$floor" floor
if [ -n "$python" ]; then
    read -r python_wall python_cpu <<< "$python"
    read -r lines_wall lines_cpu <<< "$lines"
    show 'python-docx, repeated paragraphs' "$python"
    printf 'line mode is %s x (wall) / %s x (cpu) faster than python-docx\n' \
        "$(ratio "$python_wall" "$lines_wall")" "$(ratio "$python_cpu" "$lines_cpu")"
else
    echo 'python-docx: not installed (apt-get install python3-docx), skipped'
fi
