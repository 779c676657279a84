// SPDX-License-Identifier: GPL-3.0-or-later
#include "DocxApplication.h"

namespace quillsift::docx {

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
}

bool DocxApplication::visible() const
{
    return m_visible;
}

} // namespace quillsift::docx
