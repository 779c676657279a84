#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What a user runs, end to end, on the two generated shapes of document at 100,000 and
# 1,000,000 words: quillsift-cli in both modes and the window's run in both modes (through
# window_run_bench, offscreen), beside the floor (unzip the package and zip it again) and a
# python-docx script that drops repeated paragraphs. Best of RUNS (default 5) wall-clock times,
# each command in turn, all in this one run, with each time's ratio to the floor and the peak
# resident memory of quillsift-cli against the size of the document's XML.
#
#   bench/user_path.sh [BUILD_DIR]        (default: build/default)
#
# Needs quillsift-cli, removal_bench and window_run_bench built in BUILD_DIR, zip and unzip, and
# Debian's python3-docx (installed by hand: it serves this comparison only).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build/default}" && pwd)
cli=$build/bin/quillsift-cli
window=$build/bench/window_run_bench
writer=$build/bench/removal_bench
runs=${RUNS:-5}
python=/usr/bin/python3
for tool in "$cli" "$window" "$writer"; do
    [[ -x $tool ]] || { echo "missing $tool: build it first" >&2; exit 1; }
done
"$python" -c 'import docx' 2>/dev/null || { echo "python-docx is needed (apt-get install python3-docx)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

best() {
    local best=999999 wall
    for _ in $(seq "$runs"); do
        wall=$( { TIMEFORMAT='%R'; time "$@" > /dev/null 2>&1; } 2>&1 | tail -1)
        best=$(echo "$wall $best" | awk '{ print ($1 < $2 ? $1 : $2) }')
    done
    echo "$best"
}

# The window's run as the driver times it, from the press to "Done.", without starting the program.
best_window() {
    local best=999999 run
    for _ in $(seq "$runs"); do
        run=$(QT_QPA_PLATFORM=offscreen "$window" --settle 0 "$@" 2>/dev/null | awk '/^run / { print $2 }')
        best=$(echo "$run $best" | awk '{ print ($1 < $2 ? $1 : $2) }')
    done
    echo "$best"
}

floor_once() {
    rm -rf "$work/unpacked" "$work/repacked.docx"
    unzip -q "$1" -d "$work/unpacked"
    (cd "$work/unpacked" && zip -q -r "$work/repacked.docx" .)
}

peak() {
    /usr/bin/time -f %M "$@" 2>&1 > /dev/null | tail -1
}

report() {
    local doc=$1
    local xml
    xml=$(unzip -p "$doc" word/document.xml | wc -c)
    local floor lines words wlines wwords py mlines mwords
    floor=$(best floor_once "$doc")
    lines=$(best "$cli" --lines --force --output "$work/out" "$doc")
    words=$(best "$cli" --words --force --output "$work/out" "$doc")
    wlines=$(best_window "$doc")
    wwords=$(best_window --words "$doc")
    py=$(best "$python" "$here/python_docx_dedupe.py" "$doc" "$work/py.docx")
    mlines=$(peak "$cli" --lines --force --output "$work/out" "$doc")
    mwords=$(peak "$cli" --words --force --output "$work/out" "$doc")
    echo "$floor $lines $words $wlines $wwords $py $mlines $mwords $xml"
}

printf '| document | XML MB | floor s | cli lines s (x floor) | cli words s (x floor) | window lines s | window words s | python-docx s (x cli lines) | peak lines / words MB (x XML) |\n'
printf '| --- | --- | --- | --- | --- | --- | --- | --- | --- |\n'
for shape in bench generated; do
    for size in 100000 1000000; do
        doc=$work/$shape-$size.docx
        if [[ $shape == bench ]]; then
            "$writer" --write-package "$doc" "$size" > /dev/null
        else
            python3 "$here/make_documents.py" one "$work/$shape-$size" "$size"
        fi
        read -r floor lines words wlines wwords py mlines mwords xml <<< "$(report "$doc")"
        awk -v s="$shape $size" -v x="$xml" -v f="$floor" -v l="$lines" -v w="$words" -v wl="$wlines" \
            -v ww="$wwords" -v p="$py" -v ml="$mlines" -v mw="$mwords" 'BEGIN {
            mb = x / 1e6
            printf "| %s words | %.1f | %.2f | %.2f (%.2fx) | %.2f (%.2fx) | %.2f | %.2f | %.2f (%.1fx) | %.0f / %.0f (%.1fx / %.1fx) |\n",
                s, mb, f, l, l / f, w, w / f, wl, ww, p, p / l, ml / 1024, mw / 1024, ml * 1024 / x, mw * 1024 / x
        }'
    done
done
