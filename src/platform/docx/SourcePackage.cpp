// SPDX-License-Identifier: GPL-3.0-or-later
#include "SourcePackage.h"

namespace quillsift::docx {

SourcePackage::SourcePackage(Package package)
    : m_package(std::make_shared<const Package>(std::move(package)))
{
}

SourcePackage::SourcePackage(Reread reread)
    : m_reread(std::make_shared<const Reread>(std::move(reread)))
{
}

Package SourcePackage::package() const
{
    if (m_package) {
        return *m_package;
    }
    return m_reread ? (*m_reread)() : Package();
}

} // namespace quillsift::docx
