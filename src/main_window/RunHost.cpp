// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunHost.h"

#include "platform/docx/DocxApplication.h"
#include "platform/docx/DocxHostProvider.h"
#include "platform/docx/window/HostWindowKeeper.h"

namespace quillsift::main_window {

RunHost inProcessHost(docx::HostWindowKeeper* windows, platform::ProcessorShare* processors)
{
    RunHost host;
    host.provider = std::make_unique<docx::DocxHostProvider>(
        processors, windows ? windows->listener() : docx::DocxApplication::WindowListener());
    host.applicationName = docx::DocxApplication::applicationName();
    host.showsCopies = [windows] { return windows && windows->isShowing(); };
    return host;
}

} // namespace quillsift::main_window
