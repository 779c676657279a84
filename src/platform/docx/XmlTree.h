// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <pugixml.hpp>

#include <cstddef>
#include <string>

namespace quillsift::docx {

/// Parses a part that the host edits and writes back from its tree (the main document part),
/// and makes sure that what pugixml, a lenient parser, accepted is also what a strict one would:
/// one root element and no text beside it, no document type declaration, no deeper nesting than
/// Package::maxXmlDepth, every prefix declared, no attribute twice on one element.
/// It then gives each namespace the host reads (WordprocessingML, transitional or strict, and
/// markup compatibility) one prefix throughout the part, wherever and however often the
/// namespace is declared, so that the host can look elements up by their qualified names. A part
/// that already uses one prefix for each, declared on its root, is left exactly as it was. The
/// declaration is made to say UTF-8, as the part is written, and to hold only what a declaration may.
/// Owns nothing: it touches only the document it is given.
class XmlTree
{
  public:
    /// The prefixes the part now uses. Empty for the default namespace.
    struct Prefixes {
        /// Whether the root element is in the WordprocessingML namespace.
        bool wordRoot = false;
        std::string word = "w";
        std::string compatibility = "mc";
    };

    /// Parses size bytes at data in place into document (data must outlive it), with pugixml's
    /// options besides those the checks need. Throws HostError naming fileName and partName.
    static Prefixes parse(const QString& fileName, const QString& partName, pugi::xml_document& document, char* data,
                          std::size_t size, unsigned options);
};

} // namespace quillsift::docx
