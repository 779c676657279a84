// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "UnoStrings.h"

#include <com/sun/star/beans/PropertyValue.hpp>

#include <initializer_list>

namespace quillsift::libreoffice {

inline css::beans::PropertyValue property(const char* name, const css::uno::Any& value)
{
    css::beans::PropertyValue result;
    result.Name = ascii(name);
    result.Value = value;
    return result;
}

/// The argument lists UNO calls take (the SDK's Sequence has no list constructor outside LibreOffice).
inline css::uno::Sequence<css::beans::PropertyValue> properties(std::initializer_list<css::beans::PropertyValue> values)
{
    return css::uno::Sequence<css::beans::PropertyValue>(values.begin(), sal_Int32(values.size()));
}

} // namespace quillsift::libreoffice
