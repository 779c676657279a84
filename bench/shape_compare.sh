#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times quillsift-cli end to end, in both modes, on every shape shapes.py writes, each at three
# sizes ten times apart, and prints for each run the wall time, the peak resident memory, the
# main part's size, the time per megabyte of it and the growth from the size before.
#
#   bench/shape_compare.sh [BUILD_DIR] [SIZES] [SHAPES]
#
# SIZES defaults to "10000 100000 1000000"; SHAPES to every shape. Each run is made RUNS times
# (default 3) and the best wall time shown, with the peak memory of that run: on a shared or
# virtual machine one run can take half again as long as the next. A run that takes longer than
# LIMIT seconds (default 300) is stopped and shown as such, and not made again. Needs python3 and
# unzip.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build/default}" && pwd)
cli=$build/bin/quillsift-cli
sizes=${2:-10000 100000 1000000}
shapes=${3:-$(python3 "$here/shapes.py" --list)}
limit=${LIMIT:-300}
runs=${RUNS:-3}
[[ -x $cli ]] || { echo "missing $cli: build it first" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '%-24s %8s %-5s %9s %9s %9s %9s %7s\n' shape size mode seconds peak-MB xml-MB s/MB growth
for shape in $shapes; do
    for mode in lines words; do
        previous=
        for size in $sizes; do
            extension=docx
            [[ $shape == oneline-txt ]] && extension=txt
            doc=$work/$shape-$size.$extension
            [[ -f $doc ]] || python3 "$here/shapes.py" "$shape" "$size" "$doc"
            if [[ $extension == docx ]]; then
                xml=$(unzip -p "$doc" word/document.xml | wc -c)
            else
                xml=$(wc -c <"$doc")
            fi
            seconds=
            for _ in $(seq "$runs"); do
                rm -rf "$work/out"
                /usr/bin/time -o "$work/time" -f "%e %M" timeout "$limit" "$cli" --"$mode" --output "$work/out" \
                    "$doc" >/dev/null 2>"$work/err"
                measured=$(tail -1 "$work/time")
                if grep -q "status 124" "$work/time" || [[ $(echo "${measured% *} >= $limit" | bc) == 1 ]]; then
                    seconds=">$limit"
                    peak=$(( ${measured#* } / 1024 ))
                    break
                fi
                if [[ -z $seconds || $(echo "${measured% *} < $seconds" | bc) == 1 ]]; then
                    seconds=${measured% *}
                    peak=$(( ${measured#* } / 1024 ))
                fi
            done
            megabytes=$(echo "scale=2; $xml / 1048576" | bc)
            perMB=$(echo "scale=3; ${seconds#>} / ($xml / 1048576)" | bc)
            growth=-
            [[ -n $previous && $previous != 0 ]] && growth=$(echo "scale=1; ${seconds#>} / $previous" | bc)
            printf '%-24s %8s %-5s %9s %9s %9s %9s %7s\n' "$shape" "$size" "$mode" "$seconds" "$peak" \
                "$megabytes" "$perMB" "$growth"
            previous=${seconds#>}
        done
    done
done
