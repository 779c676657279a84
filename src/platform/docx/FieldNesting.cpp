// SPDX-License-Identifier: GPL-3.0-or-later
#include "FieldNesting.h"

#include <utility>

namespace quillsift::docx {

FieldNesting& FieldNesting::operator=(const FieldNesting& other)
{
    if (this != &other) {
        std::shared_ptr<const Field> kept = other.m_innermost;
        release();
        m_innermost = std::move(kept);
    }
    return *this;
}

FieldNesting& FieldNesting::operator=(FieldNesting&& other) noexcept
{
    if (this != &other) {
        release();
        m_innermost = std::exchange(other.m_innermost, nullptr);
    }
    return *this;
}

FieldNesting::~FieldNesting()
{
    release();
}

void FieldNesting::release()
{
    std::shared_ptr<const Field> field = std::exchange(m_innermost, nullptr);
    // Only the last holder of a field unwinds it, so the fields go from the inside out without
    // any destructor reaching the next.
    while (field && field.use_count() == 1) {
        std::shared_ptr<const Field> outer = field->outer;
        field.reset();
        field = std::move(outer);
    }
}

void FieldNesting::push(std::shared_ptr<const Field> outer, bool inResult)
{
    auto field = std::make_shared<Field>();
    field->depth = outer ? outer->depth + 1 : 1;
    field->inCode = (outer ? outer->inCode : 0) + (inResult ? 0 : 1);
    field->inResult = inResult;
    field->outer = std::move(outer);
    m_innermost = std::move(field);
}

void FieldNesting::begin()
{
    push(m_innermost, false);
}

void FieldNesting::separate()
{
    if (m_innermost && !m_innermost->inResult) {
        std::shared_ptr<const Field> outer = m_innermost->outer;
        release();
        push(std::move(outer), true);
    }
}

void FieldNesting::end()
{
    if (m_innermost) {
        std::shared_ptr<const Field> outer = m_innermost->outer;
        release();
        m_innermost = std::move(outer);
    }
}

bool operator==(const FieldNesting& a, const FieldNesting& b)
{
    if (a.depth() != b.depth()) {
        return false;
    }
    const FieldNesting::Field* x = a.m_innermost.get();
    const FieldNesting::Field* y = b.m_innermost.get();
    while (x != y) {
        if (x->inResult != y->inResult) {
            return false;
        }
        x = x->outer.get();
        y = y->outer.get();
    }
    return true;
}

} // namespace quillsift::docx
