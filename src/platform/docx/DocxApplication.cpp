// SPDX-License-Identifier: GPL-3.0-or-later
#include "DocxApplication.h"

namespace quillsift::docx {

namespace {
DocxApplication::WindowListener& windowListener()
{
    static DocxApplication::WindowListener listener;
    return listener;
}
} // namespace

void DocxApplication::setWindowListener(WindowListener listener)
{
    windowListener() = std::move(listener);
}

DocxApplication::DocxApplication(platform::ProcessorShare* processors)
    : m_documents(processors)
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
    if (visible && windowListener()) {
        windowListener()(shared_from_this());
    }
}

bool DocxApplication::visible() const
{
    return m_visible;
}

} // namespace quillsift::docx
