#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Time per document of the in-process and the LibreOffice hosts, in both modes, through
# quillsift-cli --json: the corpus's largest files and a generated 100,000-word document.
# Usage: bench/host_compare.sh BUILD_DIR [CORPUS_DIR]
set -eu
build=${1:?build directory}
corpus=${2:-$(dirname "$0")/../../shared/corpus}
cli="$build/bin/quillsift-cli"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# 100,000 words in 5,000 paragraphs of 20, drawn from a small vocabulary so that words and
# paragraphs repeat.
python3 - "$work/words100k.docx" <<'PY'
import random, sys, zipfile
random.seed(7)
vocabulary = [f"word{i}" for i in range(2000)]
lines = [" ".join(random.choice(vocabulary) for _ in range(20)) for _ in range(4000)]
paragraphs = lines + random.sample(lines, 1000)
body = "".join(f'<w:p><w:r><w:t xml:space="preserve">{p}</w:t></w:r></w:p>' for p in paragraphs)
ns = 'xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"'
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("[Content_Types].xml", '<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"><Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" ContentType="application/xml"/><Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/></Types>')
    z.writestr("_rels/.rels", '<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/></Relationships>')
    z.writestr("word/document.xml", f'<?xml version="1.0"?><w:document {ns}><w:body>{body}</w:body></w:document>')
PY

largest=$(ls -S "$corpus"/*.docx "$corpus"/*.doc "$corpus"/*.rtf 2>/dev/null | head -3)
for host in docx libreoffice; do
    for mode in --lines --words; do
        for file in $largest "$work/words100k.docx"; do
            report=$("$cli" --host "$host" $mode --dry-run --json --jobs 1 --output "$work/out" "$file" || true)
            seconds=$(printf '%s' "$report" | sed -n 's/.*"seconds":\([0-9.]*\).*/\1/p')
            removed=$(printf '%s' "$report" | sed -n 's/.*"removed":\([0-9]*\).*/\1/p')
            if printf '%s' "$report" | grep -q '"error":"'; then
                removed="(error: $(printf '%s' "$report" | sed -n 's/.*"error":"\([^"]*\)".*/\1/p'))"
            fi
            printf '%-12s %-8s %10s s  removed %-7s %s\n' "$host" "$mode" "${seconds:-failed}" "${removed:--}" \
                "$(basename "$file")"
        done
    done
done
