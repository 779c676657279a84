// SPDX-License-Identifier: GPL-3.0-or-later
#include "DocxHostProvider.h"

#include <QMutexLocker>

namespace quillsift::docx {

DocxHostProvider::DocxHostProvider(platform::ProcessorShare* processors, DocxApplication::WindowListener windowListener,
                                   DeletionRecord record)
    : m_processors(processors)
    , m_windowListener(std::move(windowListener))
    , m_record(record)
{
}

std::shared_ptr<engine::Application> DocxHostProvider::runningApplication()
{
    QMutexLocker lock(&m_mutex);
    std::erase_if(m_applications, [](const auto& application) { return application.expired(); });
    for (const auto& weak : m_applications) {
        if (auto application = weak.lock(); application && application->documents().count() > 0) {
            return application;
        }
    }
    return nullptr;
}

std::shared_ptr<engine::Application> DocxHostProvider::newApplication()
{
    auto application = std::make_shared<DocxApplication>(m_processors, m_names, m_windowListener, m_record);
    QMutexLocker lock(&m_mutex);
    m_applications.push_back(application);
    return application;
}

QString DocxHostProvider::runningWarning() const
{
    return QStringLiteral("Quillsift's document host still holds copies from an earlier run. "
                          "It is recommended that you save or close them first.");
}

} // namespace quillsift::docx
