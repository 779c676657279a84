// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Units.h"

#include <QString>

namespace quillsift::engine {

/// A search confined to the range it was taken from (Range.Find).
class Find
{
  public:
    virtual ~Find() = default;

    /// Find.MatchWholeWord: a match counts only where it covers whole word units.
    virtual void setMatchWholeWord(bool on) = 0;
    virtual bool matchWholeWord() const = 0;

    /// Find.Execute. The search text is taken literally and letter case is ignored.
    /// With FindReplace::All every match inside the range is replaced by replaceWith;
    /// returns whether anything matched. Throws HostError when the host fails.
    virtual bool execute(const QString& findText, FindWrap wrap, const QString& replaceWith, FindReplace replace) = 0;
};

} // namespace quillsift::engine
