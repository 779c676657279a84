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
    // A loaded machine (a test run beside a build) may need longer than a desktop does.
    bool given = false;
    const int seconds = qEnvironmentVariableIntValue("QUILLSIFT_LO_START_SECONDS", &given);
    if (given && seconds > 0 && m_options.timeoutMilliseconds == Options().timeoutMilliseconds) {
        m_options.timeoutMilliseconds = seconds * 1000;
    }
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

QString LoHostProvider::runningWarning() const
{
    return QStringLiteral("LibreOffice may be open. It is recommended that you close LibreOffice first.");
}

} // namespace quillsift::libreoffice
