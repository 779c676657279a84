// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Package.h"
#include "WordNames.h"
#include "platform/ProcessorShare.h"

#include <QByteArray>
#include <QString>

#include <pugixml.hpp>

#include <memory>

namespace quillsift::docx {

/// The package of an open document with its main part parsed: the part's bytes, the tree parsed
/// from them in place, and the names the part's prefixes give WordprocessingML's elements. Reads
/// the main part out of the package once and serialises the edited tree back into a copy of it;
/// knows nothing of paragraphs or positions.
class MainPart
{
  public:
    MainPart() = default;
    MainPart(const MainPart&) = delete;
    MainPart& operator=(const MainPart&) = delete;

    /// Takes package and parses its main part. Throws HostError naming fileName when the package
    /// has no main part or the part is no WordprocessingML document.
    void load(const QString& fileName, Package package);

    /// The document's w:body.
    pugi::xml_node body() const
    {
        return m_body;
    }
    const WordNames& names() const
    {
        return *m_names;
    }
    const QString& name() const
    {
        return m_name;
    }
    /// What was left out or mended when the package was read (Package::notes).
    const QStringList& readingNotes() const
    {
        return m_package.notes();
    }
    /// The package as it stands now, the main part serialised from the edited tree.
    Package package() const;
    /// The same, to be written at once: a large main part comes deflated as it was serialised,
    /// on this thread and a processor processors lends, without its bytes held whole.
    Package packageToWrite(platform::ProcessorShare* processors) const;

  private:
    Package m_package;
    QString m_name;
    /// The main part's bytes, which m_xml was parsed from in place and points into.
    QByteArray m_buffer;
    pugi::xml_document m_xml;
    pugi::xml_node m_body;
    std::unique_ptr<WordNames> m_names;
};

} // namespace quillsift::docx
