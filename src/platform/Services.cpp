// SPDX-License-Identifier: GPL-3.0-or-later
#include "Services.h"

namespace quillsift::platform {

namespace {
Services g_services;
}

Services& services()
{
    return g_services;
}

Services installServices(const Services& replacement)
{
    Services previous = g_services;
    g_services = replacement;
    return previous;
}

} // namespace quillsift::platform
