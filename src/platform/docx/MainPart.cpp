// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainPart.h"

#include "XmlBytes.h"
#include "XmlTree.h"

#include "engine/HostError.h"

namespace quillsift::docx {

using engine::HostError;

void MainPart::load(const QString& fileName, Package package)
{
    m_package = std::move(package);
    m_xml.reset();
    m_body = pugi::xml_node();
    m_name = m_package.mainPartName();
    if (m_name.isEmpty()) {
        throw HostError(fileName, QStringLiteral("the package names no main document part, so it is not a Word "
                                                 "document"));
    }
    Package::Entry* main = m_package.find(m_name);
    if (!main) {
        throw HostError(fileName, QStringLiteral("the main document part %1 is missing from the package").arg(m_name));
    }
    m_name = main->name;
    // The XML is parsed in place, in a buffer of its own; the package gets the part back,
    // serialised from the edited tree, when it is saved.
    m_buffer = std::move(main->data);
    main->data = QByteArray();
    const XmlTree::Prefixes prefixes =
        XmlTree::parse(fileName, m_name, m_xml, m_buffer.data(), std::size_t(m_buffer.size()),
                       pugi::parse_default | pugi::parse_ws_pcdata_single);
    m_names = std::make_unique<WordNames>(prefixes);
    m_body = m_xml.document_element().child(m_names->body.c_str());
    if (!m_names->isWordNamespace() || !m_body) {
        throw HostError(fileName, QStringLiteral("the main document part holds no WordprocessingML body, so it is "
                                                 "not a Word document"));
    }
}

Package MainPart::package() const
{
    Package result = m_package;
    result.setData(m_name, xmlBytes(m_xml, m_buffer.size() + m_buffer.size() / 8));
    return result;
}

Package MainPart::packageToWrite(platform::ProcessorShare* processors) const
{
    // The part as read is the best guess of its size as written.
    if (!deflatedAhead(m_buffer.size())) {
        return package();
    }
    // Pieces of 256 KB: each costs a few bytes of output and a fresh 32 KB window, and the few
    // held at a time, with the pieces made, are what the save adds to the document's memory.
    constexpr qsizetype pieceSize = 1 << 18;
    Package result = m_package;
    DeflateStream stream(zipDeflateLevel, pieceSize, processors);
    result.setDeflated(m_name, xmlDeflated(m_xml, stream));
    return result;
}

} // namespace quillsift::docx
