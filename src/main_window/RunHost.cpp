// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunHost.h"

#include "platform/docx/DocxApplication.h"
#include "platform/docx/DocxHostProvider.h"
#include "platform/docx/window/HostWindow.h"

namespace quillsift::main_window {

RunHost inProcessHost(platform::ProcessorShare* processors)
{
    RunHost host;
    host.provider = std::make_unique<docx::DocxHostProvider>(processors);
    host.applicationName = docx::DocxApplication::applicationName();
    host.showsCopies = [] { return docx::HostWindow::openCount() > 0; };
    return host;
}

} // namespace quillsift::main_window
