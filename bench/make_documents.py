#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the generated documents cli_compare.sh times, as .docx and as the same text in .txt.

Paragraphs hold ten words. Every other paragraph repeats an earlier one, chosen at random, and
every word of the others occurs nowhere else, so half of the paragraphs and half of the words are
repeats whichever way the document is cleaned.

    make_documents.py one BASE WORDS        writes BASE.docx and BASE.txt
    make_documents.py many FOLDER COUNT WORDS   writes COUNT small documents into FOLDER
"""
import os
import random
import sys
import zipfile

WORDS_PER_PARAGRAPH = 10
CONSONANTS = "bcdfghjklmnprstvwxz"
VOWELS = "aeiou"
SYLLABLES = [c + v for c in CONSONANTS for v in VOWELS]

CONTENT_TYPES = (
    '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
    '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
    '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
    '<Default Extension="xml" ContentType="application/xml"/>'
    '<Override PartName="/word/document.xml" '
    'ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>'
    "</Types>"
)
RELATIONSHIPS = (
    '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
    '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
    '<Relationship Id="rId1" '
    'Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" '
    'Target="word/document.xml"/></Relationships>'
)


def word(number):
    """A pronounceable word, different for every number."""
    syllables = []
    while True:
        number, digit = divmod(number, len(SYLLABLES))
        syllables.append(SYLLABLES[digit])
        if number == 0:
            break
    return "".join(syllables) + ("q" if len(syllables) == 1 else "")


def paragraphs(words, seed, first_word=0):
    rng = random.Random(seed)
    unique = []
    result = []
    next_word = first_word
    while len(result) * WORDS_PER_PARAGRAPH < words:
        if len(result) % 2 == 0 or not unique:
            text = " ".join(word(next_word + k) for k in range(WORDS_PER_PARAGRAPH))
            next_word += WORDS_PER_PARAGRAPH
            unique.append(text)
            result.append(text)
        else:
            result.append(rng.choice(unique))
    return result


def write_docx(path, texts):
    body = "".join('<w:p><w:r><w:t xml:space="preserve">%s</w:t></w:r></w:p>' % t for t in texts)
    document = (
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
        '<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">'
        "<w:body>%s<w:sectPr/></w:body></w:document>" % body
    )
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as package:
        package.writestr("[Content_Types].xml", CONTENT_TYPES)
        package.writestr("_rels/.rels", RELATIONSHIPS)
        package.writestr("word/document.xml", document)


def main(arguments):
    if len(arguments) == 3 and arguments[0] == "one":
        texts = paragraphs(int(arguments[2]), seed=1)
        write_docx(arguments[1] + ".docx", texts)
        with open(arguments[1] + ".txt", "w", encoding="utf-8") as text:
            text.write("\n".join(texts) + "\n")
    elif len(arguments) == 4 and arguments[0] == "many":
        os.makedirs(arguments[1], exist_ok=True)
        for index in range(int(arguments[2])):
            texts = paragraphs(int(arguments[3]), seed=index, first_word=index * 100000)
            write_docx(os.path.join(arguments[1], "doc%04d.docx" % index), texts)
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
