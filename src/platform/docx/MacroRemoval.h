// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Package.h"

#include <QString>

namespace quillsift::docx {

/// What Word does when a macro-enabled document or a template is saved as a plain document: the
/// main part becomes a document's, and its macros and their customisations go. Only what is
/// one of those by its content type is dropped (the VBA project, its data, key map and toolbar
/// customisations, and their own relationships), and only where no part that stays still points
/// at it; a relationship of a macro kind that points at anything else loses the relationship
/// alone. Touches only the package it is given.
class MacroRemoval
{
  public:
    static void makePlainDocument(Package& package, const QString& mainPart);
};

} // namespace quillsift::docx
