#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes seed inputs for docx_fuzz into a folder: packages of the shapes the host must refuse or
mend (characters XML forbids, bytes that are not UTF-8, declared encodings, malformed XML, odd
namespaces, crafted macro relationships, entry names outside the package or given twice) and the
same main parts on their own (a first byte with its low bit set makes the target wrap a main part
in a package of its own).

    tests/fuzz/make_seeds.py FOLDER
"""
import pathlib
import sys
import warnings
import zipfile

W = "http://schemas.openxmlformats.org/wordprocessingml/2006/main"
TYPES = (b'<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
         b'<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
         b'<Default Extension="xml" ContentType="application/xml"/>'
         b'<Default Extension="bin" ContentType="application/vnd.ms-office.vbaProject"/>'
         b'<Override PartName="/word/document.xml" '
         b'ContentType="application/vnd.ms-word.document.macroEnabled.main+xml"/></Types>')
RELS = (b'<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
        b'<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/'
        b'officeDocument" Target="word/document.xml"/></Relationships>')


def main_part(body, declaration=b'<?xml version="1.0" encoding="UTF-8"?>', root=None):
    root = root or b'<w:document xmlns:w="' + W.encode() + b'">'
    return declaration + root + b"<w:body>" + body + b"</w:body></w:document>"


def paragraph(text):
    return b"<w:p><w:r><w:t>" + text + b"</w:t></w:r></w:p>"


MAIN_PARTS = {
    "forbidden": main_part(paragraph(b"a&#1;b\x01c&#0;d&#xFFFE;e&#xD800;f&#x110000;g\xef\xbf\xbfh") * 3),
    "not-utf8": main_part(paragraph(b"a\xc0\xafb\xed\xa0\x80c\xf4\x90\x80\x80d\x80e") * 3),
    "cp1252": main_part(paragraph(b"caf\xe9 \x80uro caf\xe9") * 2,
                        b'<?xml version="1.0" encoding="windows-1252"?>'),
    "two-prefixes": main_part(b'<x:p><w:r><x:t>one one</x:t></w:r></x:p><w:p x:rsidR="1"><x:r><w:t>one</w:t>'
                              b'</x:r></w:p>',
                              root=b'<w:document xmlns:w="' + W.encode() + b'" xmlns:x="' + W.encode() + b'">'),
    "declared-on-body": b'<?xml version="1.0"?><document xmlns="' + W.encode() + b'"><w:body xmlns:w="' +
                        W.encode() + b'"><w:p><w:r><w:t>two two</w:t></w:r></w:p><p><r><t>two</t></r></p>'
                        b'</w:body></document>',
    "duplicate-attribute": main_part(b'<w:p w:rsidR="1" w:rsidR="2"/>'),
    "undeclared-prefix": main_part(b"<w:p><w14:x/></w:p>"),
    "text-after-root": main_part(paragraph(b"x")) + b"tail",
    "odd-declaration": main_part(paragraph(b"y y"), b'<?xml version="1.0" foo="bar"?>'),
    "bookmarks-and-fields": main_part(
        b'<w:p><w:bookmarkStart w:id="1" w:name="a"/><w:r><w:t>k k</w:t></w:r><w:r><w:fldChar '
        b'w:fldCharType="begin"/></w:r><w:r><w:instrText>PAGE</w:instrText></w:r><w:r><w:fldChar '
        b'w:fldCharType="separate"/></w:r><w:r><w:t>k</w:t></w:r><w:bookmarkEnd w:id="1"/></w:p>' * 2),
}


def write_package(path, entries):
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")  # repeated names are the point of some seeds
        with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as package:
            for name, data in entries:
                package.writestr(name, data)


def base_entries(document):
    return [("[Content_Types].xml", TYPES), ("_rels/.rels", RELS), ("word/document.xml", document)]


def main():
    folder = pathlib.Path(sys.argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    for name, document in MAIN_PARTS.items():
        write_package(folder / f"{name}.docx", base_entries(document))
        (folder / f"{name}.main").write_bytes(b"\x01" + document)
    styles = b'<?xml version="1.0"?><w:styles xmlns:w="' + W.encode() + b'"><w:style w:styleId="s"/></w:styles>'
    office = "http://schemas.microsoft.com/office/2006/relationships/"
    write_package(folder / "crafted-macros.docx", base_entries(MAIN_PARTS["bookmarks-and-fields"]) + [
        ("word/_rels/document.xml.rels",
         ('<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
          f'<Relationship Id="rId1" Type="{office}vbaProject" Target="styles.xml"/>'
          f'<Relationship Id="rId2" Type="{office}vbaProject" Target="../[Content_Types].xml"/>'
          f'<Relationship Id="rId3" Type="{office}vbaProject" Target="vbaProject.bin"/>'
          '</Relationships>').encode()),
        ("word/styles.xml", styles),
        ("word/vbaProject.bin", b"\xd0\xcf\x11\xe0"),
    ])
    write_package(folder / "entry-names.docx", base_entries(MAIN_PARTS["forbidden"]) + [
        ("../../evil.xml", b"<evil/>"), ("word/../../up.xml", b"<up/>"), ("/etc/x.xml", b"<x/>"),
        ("word/styles.xml", styles), ("word/styles.xml", styles), ("word/Styles.xml", styles)])
    write_package(folder / "climbing-target.docx", base_entries(MAIN_PARTS["cp1252"]) + [
        ("word/_rels/document.xml.rels",
         b'<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship '
         b'Id="rId9" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/image" '
         b'Target="../../../etc/passwd"/></Relationships>')])


if __name__ == "__main__":
    main()
