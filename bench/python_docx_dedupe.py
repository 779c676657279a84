#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""What a user would otherwise write with python-docx: drop every body paragraph whose text
occurred before, then save. Used by cli_compare.sh for comparison only.

    python_docx_dedupe.py SOURCE COPY
"""
import sys

import docx

document = docx.Document(sys.argv[1])
seen = set()
for paragraph in document.paragraphs:
    if paragraph.text in seen:
        element = paragraph._element
        element.getparent().remove(element)
    else:
        seen.add(paragraph.text)
document.save(sys.argv[2])
