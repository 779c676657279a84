// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "XmlTree.h"

#include <pugixml.hpp>

#include <string>

namespace quillsift::docx {

/// The qualified names of the WordprocessingML elements the host reads, spelt with the prefix the
/// main part uses for the transitional or the strict namespace (usually "w", but not always).
class WordNames
{
  public:
    /// Takes the prefixes the parsed part uses throughout.
    explicit WordNames(const XmlTree::Prefixes& prefixes);

    bool isWordNamespace() const
    {
        return m_found;
    }
    /// The qualified name of a WordprocessingML element or attribute.
    std::string qualified(const char* local) const;

    std::string body, p, pPr, sectPr, r, rPr, t, tab, ptab, br, cr, noBreakHyphen, softHyphen, sym, drawing, pict,
        object, footnoteReference, endnoteReference, fldChar, fldCharType, instrText, delText, del, ins, moveFrom,
        moveTo, hyperlink, smartTag, sdt, sdtContent, customXml, fldSimple, dir, bdo, tbl, tr, tc, type, charAttr, b, i,
        u, val, alternateContent, choice, fallback, ruby, subDoc;
    /// Marks that must never be orphaned when the text around them goes.
    std::string markerNames[10];

    bool isMarker(const char* name) const;
    /// Whether name is an equation in a paragraph (Office Math's oMath or oMathPara, whatever
    /// prefix the part gives that namespace: no other namespace names paragraph content so).
    static bool isMath(const char* name);

  private:
    std::string m_prefix;
    std::string m_mcPrefix;
    bool m_found = false;
};

/// Marks a w:t element so that the spaces at its start and end are kept, as Word otherwise drops them.
void preserveSpaces(pugi::xml_node textElement);
/// Takes the white space off the ends of a w:t element's text where its spaces are not preserved
/// (xml:space="preserve" neither on it nor, where it says nothing, on the nearest element around
/// it that does), as Word and LibreOffice show it.
void dropUnpreservedSpaces(pugi::xml_node textElement);

} // namespace quillsift::docx
