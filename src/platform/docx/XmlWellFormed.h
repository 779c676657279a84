// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/HostError.h"

#include <QByteArray>
#include <QString>

namespace quillsift::docx {

/// The strict check of a part that is written back as it was read (every XML part but the main
/// document part): Qt's conforming XML reader, which refuses what lenient parsers let through (a
/// bare "&", an undeclared prefix, an attribute given twice, a second root element, text after
/// the root), so that no part the host writes is one a word processor would refuse. Document
/// type declarations and nesting deeper than Package::maxXmlDepth are refused too. Owns nothing.
class XmlWellFormed
{
  public:
    /// Throws HostError naming fileName and partName, and where the fault is, when data is not
    /// well-formed XML with namespaces.
    static void check(const QString& fileName, const QString& partName, const QByteArray& data);

    /// The refusals every reader of a part gives, whichever parser found the fault.
    static engine::HostError documentTypeRefusal(const QString& fileName, const QString& partName);
    static engine::HostError nestingRefusal(const QString& fileName, const QString& partName);
};

} // namespace quillsift::docx
