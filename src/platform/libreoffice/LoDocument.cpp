// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoDocument.h"

#include "LoOffice.h"
#include "LoRange.h"
#include "LoStory.h"
#include "UnoProperties.h"

#include "engine/HostError.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>

#include <QFileInfo>
#include <QUrl>

namespace quillsift::libreoffice {

using css::uno::Reference;
using css::uno::UNO_QUERY;
using engine::HostError;

namespace {

/// Writer's export filter for a file name's extension.
css::uno::Sequence<css::beans::PropertyValue> storeArguments(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("odt")) {
        return properties({property("FilterName", css::uno::Any(ascii("writer8")))});
    }
    if (suffix == QLatin1String("doc")) {
        return properties({property("FilterName", css::uno::Any(ascii("MS Word 97")))});
    }
    if (suffix == QLatin1String("rtf")) {
        return properties({property("FilterName", css::uno::Any(ascii("Rich Text Format")))});
    }
    if (suffix == QLatin1String("txt")) {
        return properties({property("FilterName", css::uno::Any(ascii("Text (encoded)"))),
                           property("FilterOptions", css::uno::Any(ascii("UTF8")))});
    }
    return properties({property("FilterName", css::uno::Any(ascii("MS Word 2007 XML")))});
}

QString describe(const css::uno::Exception& error)
{
    const QString message = toQString(error.Message).trimmed();
    return message.isEmpty() ? QStringLiteral("no reason given") : message;
}

} // namespace

LoDocument::LoDocument(std::shared_ptr<LoOffice> office, Reference<css::text::XTextDocument> document, QString name,
                       QString fullName)
    : m_office(std::move(office))
    , m_story(std::make_shared<LoStory>(fullName.isEmpty() ? name : fullName, std::move(document),
                                        Reference<css::frame::XComponentLoader>(m_office->desktop(), UNO_QUERY)))
    , m_name(std::move(name))
    , m_fullName(std::move(fullName))
{
}

LoDocument::~LoDocument() = default;

QString LoDocument::name() const
{
    return m_name;
}

QString LoDocument::fullName() const
{
    return m_fullName;
}

std::unique_ptr<engine::Range> LoDocument::content()
{
    m_story->ensureOpen();
    return std::make_unique<LoRange>(m_story, 0, m_story->length());
}

std::unique_ptr<engine::Range> LoDocument::range()
{
    return content();
}

void LoDocument::close()
{
    if (m_story->isClosed()) {
        return;
    }
    const Reference<css::util::XCloseable> closeable(m_story->document(), UNO_QUERY);
    m_story->markClosed();
    if (!closeable.is()) {
        return;
    }
    try {
        closeable->close(true);
    } catch (const css::lang::DisposedException&) {
        // Already gone with its soffice: nothing is left to close.
    } catch (const css::uno::Exception& error) {
        throw HostError(m_story->fileName(),
                        QStringLiteral("LibreOffice could not close the document (%1)").arg(describe(error)));
    }
}

void LoDocument::saveAs(const QString& path)
{
    m_story->ensureOpen();
    const Reference<css::frame::XStorable> storable(m_story->document(), UNO_QUERY);
    if (!storable.is()) {
        throw HostError(path, QStringLiteral("LibreOffice cannot save this document"));
    }
    try {
        css::uno::Sequence<css::beans::PropertyValue> arguments = storeArguments(path);
        const sal_Int32 size = arguments.getLength();
        arguments.realloc(size + 1);
        arguments.getArray()[size] = property("Overwrite", css::uno::Any(true));
        storable->storeToURL(toOUString(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString()), arguments);
    } catch (const css::lang::DisposedException&) {
        throw HostError(path, QStringLiteral("LibreOffice stopped answering"));
    } catch (const css::uno::Exception& error) {
        throw HostError(path, QStringLiteral("LibreOffice could not save the file (%1)").arg(describe(error)));
    }
}

bool LoDocument::saved() const
{
    if (m_story->isClosed()) {
        return true;
    }
    try {
        const Reference<css::util::XModifiable> modifiable(m_story->document(), UNO_QUERY);
        return !modifiable.is() || !modifiable->isModified();
    } catch (const css::uno::Exception&) {
        return false;
    }
}

bool LoDocument::isClosed() const
{
    return m_story->isClosed();
}

const Reference<css::text::XTextDocument>& LoDocument::textDocument() const
{
    return m_story->document();
}

} // namespace quillsift::libreoffice
