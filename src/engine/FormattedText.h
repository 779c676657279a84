// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace quillsift::engine {

/// What Range.FormattedText reads: the range's text with all its formatting and
/// everything it depends on, in a form only the host that made it understands.
/// Assigning it to a range of another document of the same host copies it there.
class FormattedText
{
  public:
    virtual ~FormattedText() = default;

    /// Whether it holds all it needs, so that the document it was read from may close before
    /// it is assigned (which frees that document's memory before the copy takes its own).
    virtual bool standsAlone() const
    {
        return false;
    }
};

} // namespace quillsift::engine
