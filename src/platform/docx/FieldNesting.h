// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <memory>

namespace quillsift::docx {

/// The complex fields open at one point of the story, innermost last, each with whether its
/// result has begun (its code is not text, its result is). A value: copying it, as every
/// paragraph keeps the nesting at its start, costs O(1) whatever the depth, because nestings
/// share the fields they have in common; a field's begin, separator and end cost O(1) too.
class FieldNesting
{
  public:
    FieldNesting() = default;
    FieldNesting(const FieldNesting&) = default;
    FieldNesting(FieldNesting&&) noexcept = default;
    FieldNesting& operator=(const FieldNesting& other);
    FieldNesting& operator=(FieldNesting&& other) noexcept;
    ~FieldNesting();

    /// Whether text here is text: no open field is still in its code.
    bool isText() const
    {
        return !m_innermost || m_innermost->inCode == 0;
    }
    std::size_t depth() const
    {
        return m_innermost ? m_innermost->depth : 0;
    }
    void begin();
    /// The innermost field's result begins; nothing when no field is open.
    void separate();
    /// The innermost field ends; nothing when no field is open.
    void end();

    /// The same fields in the same states. Costs the fields the two do not share.
    friend bool operator==(const FieldNesting& a, const FieldNesting& b);

  private:
    struct Field {
        std::shared_ptr<const Field> outer;
        bool inResult = false;
        std::size_t depth = 1;
        /// How many of the open fields, this one included, are still in their code.
        std::size_t inCode = 0;
    };
    void push(std::shared_ptr<const Field> outer, bool inResult);
    /// Lets go of the innermost field, and of the fields outside it that nothing else holds, one
    /// by one: a chain of a hundred thousand must not unwind by recursion.
    void release();

    std::shared_ptr<const Field> m_innermost;
};

} // namespace quillsift::docx
