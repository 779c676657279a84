#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times quillsift-cli on generated documents of 100,000 and 1,000,000 words (half of the
# paragraphs and half of the words repeated) in both modes, beside what bounds it and what a user
# would otherwise reach for, all on the same documents:
#   - opening and saving the document unchanged in the same host (docx_roundtrip),
#   - a python-docx script that drops repeated body paragraphs (python_docx_dedupe.py),
#   - awk '!seen[$0]++' over the same text as plain lines;
# and then 1,000 small documents with --jobs 1 and --jobs 2.
#
#   bench/cli_compare.sh [BUILD_DIR]       (default: build)
#
# Needs the targets quillsift-cli and docx_roundtrip built in BUILD_DIR, and hyperfine and
# python3-docx installed by hand: they serve this comparison only and are no build dependencies.
# No shell runs between the commands (--shell=none), so short ones are timed as they are.
# RUNS (default 3) sets the runs per command on 100,000 words; 1,000,000 words run once.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
cli=$build/bin/quillsift-cli
roundtrip=$build/bench/docx_roundtrip
python=${PYTHON:-/usr/bin/python3}
runs=${RUNS:-3}
for tool in "$cli" "$roundtrip"; do
    [[ -x $tool ]] || { echo "missing $tool: build it first" >&2; exit 1; }
done
command -v hyperfine >/dev/null || { echo "hyperfine is needed (apt-get install hyperfine)" >&2; exit 1; }
"$python" -c 'import docx' 2>/dev/null || { echo "python-docx is needed (apt-get install python3-docx)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/out"

for words in 100000 1000000; do
    doc=$work/w$words
    python3 "$here/make_documents.py" one "$doc" "$words"
    n=$runs
    ((words >= 1000000)) && n=1
    echo "== $words words: $(du -h "$doc.docx" | cut -f1) .docx, $(wc -l <"$doc.txt") paragraphs"
    # What each one keeps, so that the times compare like with like.
    "$cli" --lines --json --force --output "$work/out" "$doc.docx" | tee "$work/lines.json"
    "$cli" --words --json --force --output "$work/out/w" "$doc.docx" | tee "$work/words.json"
    "$python" "$here/python_docx_dedupe.py" "$doc.docx" "$work/out/py.docx"
    echo "python-docx keeps $("$python" -c 'import docx,sys; print(len(docx.Document(sys.argv[1]).paragraphs))' \
        "$work/out/py.docx") paragraphs; awk keeps $(awk '!seen[$0]++' "$doc.txt" | wc -l) lines"
    hyperfine --style basic --shell=none --runs "$n" --export-markdown "$work/table-$words.md" \
        -n "quillsift-cli --lines" "$cli --lines --force --output $work/out $doc.docx" \
        -n "quillsift-cli --words" "$cli --words --force --output $work/out/w $doc.docx" \
        -n "open+save unchanged (docx_roundtrip)" "$roundtrip $doc.docx $work/out/roundtrip.docx" \
        -n "python-docx script" "$python $here/python_docx_dedupe.py $doc.docx $work/out/py.docx" \
        -n "awk '!seen[\$0]++'" "awk '!seen[\$0]++ { print > \"$work/out/awk.txt\" }' $doc.txt"
    cat "$work/table-$words.md"
done

echo "== 1,000 small documents of 200 words"
python3 "$here/make_documents.py" many "$work/small" 1000 200
small=$(echo "$work"/small/*.docx)
hyperfine --style basic --shell=none --runs "$runs" --export-markdown "$work/table-small.md" \
    -n "quillsift-cli --lines --jobs 1" "$cli --lines --jobs 1 --force --output $work/out/s1 $small" \
    -n "quillsift-cli --lines --jobs 2" "$cli --lines --jobs 2 --force --output $work/out/s2 $small" \
    -n "quillsift-cli --words --jobs 1" "$cli --words --jobs 1 --force --output $work/out/s3 $small" \
    -n "quillsift-cli --words --jobs 2" "$cli --words --jobs 2 --force --output $work/out/s4 $small"
cat "$work/table-small.md"
