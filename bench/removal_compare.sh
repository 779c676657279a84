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

# Best wall-clock time of $runs runs of a command, in seconds.
best() {
    local best_time=""
    for _ in $(seq "$runs"); do
        local start end
        start=$(date +%s.%N)
        "$@" > /dev/null
        end=$(date +%s.%N)
        best_time=$(echo "$start $end ${best_time:-999999}" | awk '{ t = $2 - $1; print (t < $3 ? t : $3) }')
    done
    echo "$best_time"
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

printf 'floor (unzip + zip -r):        %6.3f s\n' "$floor"
printf 'open + save, unchanged:        %6.3f s\n' "$unchanged"
printf 'line mode, open + save:        %6.3f s  (%.2f x floor)\n' "$lines" "$(echo "$lines $floor" | awk '{ print $1 / $2 }')"
printf 'word mode, open + save:        %6.3f s  (%.2f x floor)\n' "$words_time" "$(echo "$words_time $floor" | awk '{ print $1 / $2 }')"
if [ -n "$python" ]; then
    printf 'python-docx, repeated paragraphs: %6.3f s  (line mode %.2f x faster)\n' "$python" \
        "$(echo "$python $lines" | awk '{ print $1 / $2 }')"
else
    echo 'python-docx: not installed (apt-get install python3-docx), skipped'
fi
