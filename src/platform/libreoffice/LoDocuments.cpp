// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoDocuments.h"

#include "LoDocument.h"
#include "LoOffice.h"
#include "UnoProperties.h"

#include "engine/HostError.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/io/IOException.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/IllegalArgumentException.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include <QFileInfo>
#include <QMutexLocker>
#include <QUrl>

namespace quillsift::libreoffice {

using css::uno::Reference;
using css::uno::UNO_QUERY;
using engine::HostError;

namespace {

/// Opened unseen, read-only (the source is never written) and with its macros never run.
css::uno::Sequence<css::beans::PropertyValue> loadArguments(bool readOnly)
{
    constexpr sal_Int16 neverExecute = 0; // css::document::MacroExecMode::NEVER_EXECUTE
    constexpr sal_Int16 noUpdate = 0;     // css::document::UpdateDocMode::NO_UPDATE
    return properties({property("Hidden", css::uno::Any(true)), property("ReadOnly", css::uno::Any(readOnly)),
                       property("MacroExecutionMode", css::uno::Any(neverExecute)),
                       property("UpdateDocMode", css::uno::Any(noUpdate))});
}

void closeComponent(const Reference<css::lang::XComponent>& component) noexcept
{
    try {
        const Reference<css::util::XCloseable> closeable(component, UNO_QUERY);
        if (closeable.is()) {
            closeable->close(true);
        } else if (component.is()) {
            component->dispose();
        }
    } catch (...) {
    }
}

} // namespace

LoDocuments::LoDocuments(std::shared_ptr<LoOffice> office)
    : m_office(std::move(office))
{
}

LoDocuments::~LoDocuments()
{
    // Whatever a run left open goes with the application, unsaved.
    for (const auto& document : openDocuments()) {
        try {
            document->close();
        } catch (...) {
        }
    }
}

std::shared_ptr<engine::Document> LoDocuments::open(const QString& fileName)
{
    const QFileInfo info(fileName);
    if (!info.exists()) {
        throw HostError(fileName, QStringLiteral("the file does not exist"));
    }
    if (info.isDir()) {
        throw HostError(fileName, QStringLiteral("this is a folder, not a document"));
    }
    if (!info.isReadable()) {
        throw HostError(fileName, QStringLiteral("the file cannot be read (permission denied)"));
    }
    Reference<css::lang::XComponent> component;
    try {
        for (int attempt = 0;; ++attempt) {
            try {
                m_office->recoverIfGone();
                const Reference<css::frame::XComponentLoader> loader(m_office->desktop(), UNO_QUERY);
                component =
                    loader->loadComponentFromURL(toOUString(QUrl::fromLocalFile(info.absoluteFilePath()).toString()),
                                                 ascii("_blank"), 0, loadArguments(true));
                break;
            } catch (const css::lang::DisposedException&) {
                // The connection went with an earlier document: one new soffice gets a try.
                if (attempt > 0 || !m_office->recoverIfGone(true)) {
                    throw;
                }
            }
        }
    } catch (const css::lang::DisposedException&) {
        throw HostError(fileName, QStringLiteral("LibreOffice stopped answering"));
    } catch (const css::lang::IllegalArgumentException&) {
        throw HostError(fileName, QStringLiteral("LibreOffice does not recognise the file's format"));
    } catch (const css::io::IOException&) {
        throw HostError(fileName, QStringLiteral("LibreOffice could not read the file (damaged or protected)"));
    } catch (const css::uno::Exception& error) {
        throw HostError(fileName,
                        QStringLiteral("LibreOffice could not open the file (%1)").arg(toQString(error.Message)));
    }
    if (!component.is()) {
        throw HostError(
            fileName, QStringLiteral("LibreOffice could not open the file (damaged, protected or of an unknown kind)"));
    }
    const Reference<css::text::XTextDocument> text(component, UNO_QUERY);
    if (!text.is()) {
        closeComponent(component);
        throw HostError(fileName, QStringLiteral("LibreOffice does not open this file as a text document"));
    }
    std::shared_ptr<LoDocument> document;
    try {
        document = std::make_shared<LoDocument>(m_office, text, info.fileName(), fileName);
    } catch (...) {
        closeComponent(component);
        throw;
    }
    QMutexLocker lock(&m_mutex);
    // A closed document is of no more use to anyone here.
    std::erase_if(m_documents, [](const auto& held) { return held->isClosed(); });
    m_documents.push_back(document);
    return document;
}

std::shared_ptr<engine::Document> LoDocuments::add()
{
    QString name;
    {
        QMutexLocker lock(&m_mutex);
        name = QStringLiteral("Document%1").arg(++m_added);
    }
    Reference<css::lang::XComponent> component;
    try {
        const Reference<css::frame::XComponentLoader> loader(m_office->desktop(), UNO_QUERY);
        component =
            loader->loadComponentFromURL(ascii("private:factory/swriter"), ascii("_blank"), 0, loadArguments(false));
    } catch (const css::lang::DisposedException&) {
        throw HostError(name, QStringLiteral("LibreOffice stopped answering"));
    } catch (const css::uno::Exception& error) {
        throw HostError(name,
                        QStringLiteral("LibreOffice could not make a new document (%1)").arg(toQString(error.Message)));
    }
    const Reference<css::text::XTextDocument> text(component, UNO_QUERY);
    if (!text.is()) {
        closeComponent(component);
        throw HostError(name, QStringLiteral("LibreOffice could not make a new text document"));
    }
    auto document = std::make_shared<LoDocument>(m_office, text, name, QString());
    QMutexLocker lock(&m_mutex);
    // A closed document is of no more use to anyone here.
    std::erase_if(m_documents, [](const auto& held) { return held->isClosed(); });
    m_documents.push_back(document);
    return document;
}

qint64 LoDocuments::count() const
{
    return qint64(openDocuments().size());
}

std::vector<std::shared_ptr<LoDocument>> LoDocuments::openDocuments() const
{
    QMutexLocker lock(&m_mutex);
    std::vector<std::shared_ptr<LoDocument>> result;
    for (const auto& document : m_documents) {
        if (!document->isClosed()) {
            result.push_back(document);
        }
    }
    return result;
}

} // namespace quillsift::libreoffice
