// SPDX-License-Identifier: GPL-3.0-or-later
#include "Main.h"

#include "Addresses.h"
#include "platform/System.h"

namespace quillsift::main_window {

void VisitHomePage(platform::Random& random, platform::Shell& shell)
{
    random.seedFromTimeOfDay();
    const int draw = static_cast<int>(random.next() * 100.0) + 1;
    if (draw == 7) {
        shell.openAddress(homePageAddress());
    }
}

} // namespace quillsift::main_window
