// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Package.h"

#include <QString>

namespace quillsift::docx {

/// What a Word package goes through between being read and being opened, so that whatever the
/// host later writes of it is a sound package:
/// - it must have "[Content_Types].xml";
/// - every XML part is made UTF-8 holding only what XML allows (XmlText), each repair noted in
///   the package;
/// - every XML part but the main document part, which the host parses and writes itself, must
///   be well-formed XML with namespaces (XmlWellFormed), since it is written back as it is;
/// - no internal relationship may point outside the package.
/// Touches only the package it is given.
class PackageIntake
{
  public:
    /// Throws HostError naming fileName, and the part where there is one.
    static void prepare(const QString& fileName, Package& package);
};

} // namespace quillsift::docx
