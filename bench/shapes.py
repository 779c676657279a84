#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes documents of one shape at a given size, for shape_compare.sh.

Every shape holds SIZE words (or marks, cells, fields) with half of its paragraphs or words
repeats, so each size is ten times the one before at the same share of work for the removals.

    shapes.py SHAPE SIZE PATH      writes PATH (.docx, or .txt for the shape oneline-txt)
    shapes.py --list               prints the shapes
"""
import sys
import zipfile

from make_documents import CONTENT_TYPES, RELATIONSHIPS, paragraphs, word

W = 'xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"'


def run(text):
    return '<w:r><w:t xml:space="preserve">%s</w:t></w:r>' % text


def plain(size):
    return "".join("<w:p>%s</w:p>" % run(t) for t in paragraphs(size, seed=1))


def halves(size):
    """Ten-word paragraphs of size words: the second half repeats the first, so a line removal
    deletes one long stretch of paragraphs one after the other."""
    first = [t for i, t in enumerate(paragraphs(size, seed=1)) if i % 2 == 0]
    return first + first


def marked(size, start, end):
    """Ten-word paragraphs each holding one pair of range marks around its text; the second half
    repeats the first."""
    body = []
    for i, text in enumerate(halves(size)):
        body.append("<w:p>%s%s%s</w:p>" % (start.format(i), run(text), end.format(i)))
    return "".join(body)


def bookmarks_per_paragraph(size):
    return marked(size, '<w:bookmarkStart w:id="{0}" w:name="b{0}"/>', '<w:bookmarkEnd w:id="{0}"/>')


def many_bookmarks(size):
    """Ten bookmarks in every ten-word paragraph: as many bookmarks as words; the second half
    of the paragraphs repeats the first."""
    body = []
    mark = 0
    for text in halves(size):
        parts = []
        for w in text.split(" "):
            parts.append('<w:bookmarkStart w:id="%d" w:name="m%d"/>%s<w:bookmarkEnd w:id="%d"/>'
                         % (mark, mark, run(w + " "), mark))
            mark += 1
        body.append("<w:p>%s</w:p>" % "".join(parts))
    return "".join(body)


def comment_ranges(size):
    return marked(size, '<w:commentRangeStart w:id="{0}"/>', '<w:commentRangeEnd w:id="{0}"/>')


def permission_ranges(size):
    return marked(size, '<w:permStart w:id="{0}" w:edGrp="everyone"/>', '<w:permEnd w:id="{0}"/>')


def repeated_words(size):
    """size words, every other one a repeat of an earlier one."""
    words = []
    for i in range(size):
        words.append(word(i // 2) if i % 2 == 0 else word((i // 2) // 3))
    return words


def huge_wt(size):
    return "<w:p>%s</w:p>" % run(" ".join(repeated_words(size)))


def huge_paragraph_runs(size):
    return "<w:p>%s</w:p>" % "".join(run(w + " ") for w in repeated_words(size))


def unclosed_fields(size):
    """size/10 fields that begin and separate but never end, then the paragraphs of size words."""
    fields = "".join('<w:r><w:fldChar w:fldCharType="begin"/></w:r><w:r><w:instrText> MERGEFIELD f </w:instrText></w:r>'
                     '<w:r><w:fldChar w:fldCharType="separate"/></w:r>' for _ in range(size // 10))
    return "<w:p>%s</w:p>%s" % (fields, plain(size))


def table_cells(size):
    """A table of ten-word cells, ten to a row; the second half of the cells repeats the first."""
    texts = halves(size)
    rows = []
    for r in range(0, len(texts), 10):
        cells = "".join("<w:tc><w:p>%s</w:p></w:tc>" % run(t) for t in texts[r:r + 10])
        rows.append("<w:tr>%s</w:tr>" % cells)
    return '<w:tbl><w:tblPr/><w:tblGrid/>%s</w:tbl><w:p/>' % "".join(rows)


def nested_content_controls(size):
    """Block content controls nested a hundred deep, each level holding one ten-word paragraph
    before the next level: size/10 content controls in all."""
    texts = paragraphs(size, seed=1)
    chains = []
    for c in range(0, len(texts), 100):
        chain = texts[c:c + 100]
        chains.append("".join("<w:sdt><w:sdtPr/><w:sdtContent><w:p>%s</w:p>" % run(t) for t in chain) +
                      "</w:sdtContent></w:sdt>" * len(chain))
    return "".join(chains)


SHAPES = {
    "plain": plain,
    "bookmarks-per-paragraph": bookmarks_per_paragraph,
    "many-bookmarks": many_bookmarks,
    "comment-ranges": comment_ranges,
    "permission-ranges": permission_ranges,
    "huge-wt": huge_wt,
    "huge-paragraph-runs": huge_paragraph_runs,
    "oneline-txt": None,
    "unclosed-fields": unclosed_fields,
    "table-cells": table_cells,
    "nested-content-controls": nested_content_controls,
}


def main(arguments):
    if arguments == ["--list"]:
        print("\n".join(SHAPES))
        return
    if len(arguments) != 3 or arguments[0] not in SHAPES:
        sys.exit(__doc__)
    shape, size, path = arguments[0], int(arguments[1]), arguments[2]
    if shape == "oneline-txt":
        with open(path, "w", encoding="utf-8") as text:
            text.write(" ".join(repeated_words(size)) + "\n")
        return
    document = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?><w:document %s><w:body>%s<w:sectPr/>'
                "</w:body></w:document>" % (W, SHAPES[shape](size)))
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as package:
        package.writestr("[Content_Types].xml", CONTENT_TYPES)
        package.writestr("_rels/.rels", RELATIONSHIPS)
        package.writestr("word/document.xml", document)


if __name__ == "__main__":
    main(sys.argv[1:])
