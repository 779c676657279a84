// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoHostProvider.h"

#include "LoApplication.h"
#include "LoOffice.h"

namespace quillsift::libreoffice {

LoHostProvider::LoHostProvider()
    : LoHostProvider(Options())
{
}

LoHostProvider::LoHostProvider(Options options)
    : m_options(std::move(options))
{
    if (m_options.pipeName.isEmpty()) {
        m_options.pipeName = qEnvironmentVariable("QUILLSIFT_LO_PIPE", QStringLiteral("quillsift"));
    }
}

std::vector<qint64> LoHostProvider::startedProcessGroups()
{
    return LoOffice::startedProcessGroups();
}

std::shared_ptr<engine::Application> LoHostProvider::runningApplication()
{
    auto office = LoOffice::attach(m_options.pipeName);
    return office ? std::make_shared<LoApplication>(std::move(office)) : nullptr;
}

std::shared_ptr<engine::Application> LoHostProvider::newApplication()
{
    LoOffice::StartOptions start;
    start.program = m_options.program;
    start.timeoutMilliseconds = m_options.timeoutMilliseconds;
    return std::make_shared<LoApplication>(LoOffice::start(start));
}

} // namespace quillsift::libreoffice
