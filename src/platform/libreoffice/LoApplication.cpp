// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoApplication.h"

#include "LoDocument.h"
#include "LoDocuments.h"
#include "LoOffice.h"

#include "engine/HostError.h"

#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <unistd.h>

namespace quillsift::libreoffice {

LoApplication::LoApplication(std::shared_ptr<LoOffice> office)
    : m_office(std::move(office))
    , m_documents(std::make_unique<LoDocuments>(m_office))
{
}

LoApplication::~LoApplication() = default;

QString LoApplication::applicationName()
{
    return QStringLiteral("LibreOffice");
}

QString LoApplication::name() const
{
    return applicationName();
}

engine::Documents& LoApplication::documents()
{
    return *m_documents;
}

void LoApplication::setVisible(bool visible)
{
    if (!visible || m_visible) {
        m_visible = visible;
        return;
    }
    m_visible = true;
    removeOldCopies();
    QStringList copies;
    QTemporaryDir folder(QDir::temp().filePath(copiesFolderPrefix + QStringLiteral("XXXXXX")));
    // The desktop's LibreOffice reads the files after this returns, so they must stay.
    folder.setAutoRemove(false);
    for (const auto& document : m_documents->openDocuments()) {
        if (!document->fullName().isEmpty() || !folder.isValid()) {
            continue;
        }
        const QString path = folder.filePath(document->name() + QStringLiteral(".odt"));
        document->saveAs(path);
        copies << path;
    }
    if (copies.isEmpty()) {
        folder.remove();
        return;
    }
    QString program = qEnvironmentVariable("QUILLSIFT_SOFFICE");
    if (program.isEmpty()) {
        program = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    }
    QStringList arguments = {QStringLiteral("--nologo"), QStringLiteral("--norestore")};
    for (const QString& copy : copies) {
        // "-n": a new untitled document made from the file, so nothing is saved over it.
        arguments << QStringLiteral("-n") << copy;
    }
    if (program.isEmpty() || !QProcess::startDetached(program, arguments)) {
        throw engine::HostError(QString(),
                                QStringLiteral("LibreOffice Writer could not be opened to show the cleaned copies"));
    }
}

void LoApplication::removeOldCopies()
{
    // The copies handed to the desktop's LibreOffice must outlast this call, for it reads them
    // later; a day on, the folders of earlier hand-offs (this user's only) are removed.
    const QDateTime dayAgo = QDateTime::currentDateTime().addDays(-1);
    const QFileInfoList folders =
        QDir::temp().entryInfoList({copiesFolderPrefix + QLatin1Char('*')}, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QFileInfo& folder : folders) {
        if (!folder.isSymLink() && folder.ownerId() == ::getuid() && folder.lastModified() < dayAgo) {
            QDir(folder.filePath()).removeRecursively();
        }
    }
}

bool LoApplication::visible() const
{
    return m_visible;
}

} // namespace quillsift::libreoffice
