// SPDX-License-Identifier: GPL-3.0-or-later
#include "Main.h"

#include "Addresses.h"
#include "platform/Services.h"

namespace quillsift::main_window {

void VisitHomePage()
{
    auto& services = platform::services();
    services.random->seedFromTimeOfDay();
    const int draw = static_cast<int>(services.random->next() * 100.0) + 1;
    if (draw == 7) {
        services.shell->openAddress(homePageAddress());
    }
}

} // namespace quillsift::main_window
