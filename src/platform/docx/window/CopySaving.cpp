// SPDX-License-Identifier: GPL-3.0-or-later
#include "CopySaving.h"

#include "engine/CopyNames.h"
#include "engine/HostError.h"
#include "platform/Dialogs.h"
#include "platform/docx/DocxDocument.h"

#include <QFileInfo>

namespace quillsift::docx {

CopySaving::CopySaving(platform::MessageBox& messageBox, QWidget* parent)
    : m_messageBox(messageBox)
    , m_parent(parent)
{
}

QString CopySaving::sourceName(const DocxDocument& copy)
{
    if (!copy.sourcePath().isEmpty()) {
        return copy.sourcePath();
    }
    if (!copy.fullName().isEmpty()) {
        return copy.fullName();
    }
    return copy.name() + (copy.isPlainText() ? QStringLiteral(".txt") : QStringLiteral(".docx"));
}

void CopySaving::save(DocxDocument& copy, const QString& path, bool trackChanges)
{
    if (!trackChanges) {
        copy.saveAs(path);
        return;
    }
    const auto& cleaning = copy.cleaning();
    copy.saveWithTrackedChanges(path, cleaning ? cleaning->time : QDateTime::currentDateTimeUtc());
}

CopySaving::Outcome CopySaving::saveAll(const std::vector<std::shared_ptr<DocxDocument>>& copies, const QString& folder,
                                        bool trackChanges)
{
    QStringList everySource;
    std::vector<std::shared_ptr<DocxDocument>> unsaved;
    QStringList names;
    for (const auto& copy : copies) {
        for (const QString& source : {copy->sourcePath(), copy->fullName()}) {
            if (!source.isEmpty()) {
                everySource << source;
            }
        }
        if (!copy->saved()) {
            unsaved.push_back(copy);
            names << sourceName(*copy);
        }
    }
    const engine::SourceFiles sources(everySource);
    const QStringList targets = engine::outputPaths(names, folder, trackChanges);
    Outcome outcome;
    for (std::size_t i = 0; i < unsaved.size(); ++i) {
        DocxDocument& copy = *unsaved[i];
        const QString& target = targets[qsizetype(i)];
        const QFileInfo info(target);
        if (sources.contains(target)) {
            outcome.failures
                << QStringLiteral("%1: %2 is the source of a copy, which is never written").arg(copy.name(), target);
            continue;
        }
        if (info.isDir()) {
            outcome.failures << QStringLiteral("%1: a folder named %2 is in the way").arg(copy.name(), target);
            continue;
        }
        if (info.exists() || info.isSymLink()) {
            const auto answer = m_messageBox.show(
                m_parent, QStringLiteral("%1 already exists.\r\n\r\nDo you want to replace it?").arg(target),
                platform::MsgBoxButtons::YesNo);
            if (answer != platform::MsgBoxAnswer::Yes) {
                outcome.kept << copy.name();
                continue;
            }
        }
        try {
            save(copy, target, trackChanges);
            ++outcome.saved;
        } catch (const engine::HostError& error) {
            outcome.failures << QStringLiteral("%1: %2").arg(copy.name(), error.message());
        }
    }
    return outcome;
}

QString CopySaving::report(const Outcome& outcome)
{
    QStringList lines;
    if (!outcome.failures.isEmpty()) {
        lines << QStringLiteral("These copies could not be saved:\r\n\r\n") +
                     outcome.failures.join(QStringLiteral("\r\n"));
    }
    if (!outcome.kept.isEmpty()) {
        lines << QStringLiteral("These copies were not saved, to keep the files already there:\r\n\r\n") +
                     outcome.kept.join(QStringLiteral("\r\n"));
    }
    return lines.join(QStringLiteral("\r\n\r\n"));
}

} // namespace quillsift::docx
