// SPDX-License-Identifier: GPL-3.0-or-later
#include "DocxApplication.h"

namespace quillsift::docx {

DocxApplication::DocxApplication(platform::ProcessorShare* processors,
                                 std::shared_ptr<DocxDocuments::UntitledCount> names, WindowListener windowListener,
                                 DeletionRecord record)
    : m_documents(processors, std::move(names), platform::systemMemory(), record)
    , m_windowListener(std::move(windowListener))
{
}

QString DocxApplication::applicationName()
{
    return QStringLiteral("Quillsift Document Host");
}

QString DocxApplication::name() const
{
    return applicationName();
}

engine::Documents& DocxApplication::documents()
{
    return m_documents;
}

DocxDocuments& DocxApplication::docxDocuments()
{
    return m_documents;
}

void DocxApplication::setVisible(bool visible)
{
    m_visible = visible;
    if (visible && m_windowListener) {
        m_windowListener(shared_from_this());
    }
}

bool DocxApplication::visible() const
{
    return m_visible;
}

} // namespace quillsift::docx
