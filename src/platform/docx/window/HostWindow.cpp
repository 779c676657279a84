// SPDX-License-Identifier: GPL-3.0-or-later
#include "HostWindow.h"

#include "CopySaving.h"
#include "CopyTextModel.h"
#include "HtmlItemDelegate.h"

#include "engine/HostError.h"
#include "platform/Dialogs.h"
#include "platform/docx/DocxApplication.h"
#include "platform/docx/DocxDocument.h"
#include "platform/docx/DocxDocuments.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

#include <algorithm>

namespace quillsift::docx {

HostWindow::HostWindow(platform::SaveFileDialog& saveDialog, platform::FolderBrowser& folderBrowser,
                       platform::MessageBox& messageBox, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_saveDialog(saveDialog)
    , m_folderBrowser(folderBrowser)
    , m_messageBox(messageBox)
{
    setObjectName(QStringLiteral("HostWindow"));
    resize(900, 580);

    m_documents = new QListWidget(this);
    m_documents->setObjectName(QStringLiteral("documents"));
    m_documents->setWordWrap(true);
    m_details = new QLabel(this);
    m_details->setObjectName(QStringLiteral("details"));
    m_details->setTextFormat(Qt::RichText);
    m_details->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_details->setWordWrap(true);

    // Rows are laid out in batches between events and drawn only when on screen, so a copy of
    // any size shows at once and the window never stops answering.
    m_text = new QListView(this);
    m_text->setObjectName(QStringLiteral("text"));
    m_model = new CopyTextModel(m_text);
    m_text->setModel(m_model);
    m_text->setItemDelegate(new HtmlItemDelegate(m_text));
    m_text->setLayoutMode(QListView::Batched);
    m_text->setBatchSize(40);
    m_text->setResizeMode(QListView::Adjust);
    m_text->setUniformItemSizes(false);
    m_text->setWordWrap(true);
    m_text->setSelectionMode(QAbstractItemView::NoSelection);
    m_text->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    m_showMarks = new QCheckBox(tr("Show spaces and marks"), this);
    m_showMarks->setObjectName(QStringLiteral("showMarks"));
    m_trackChanges = new QCheckBox(tr("Keep removals as tracked changes"), this);
    m_trackChanges->setObjectName(QStringLiteral("trackChanges"));
    m_trackChanges->setToolTip(tr("Save the copies as their sources with every removal a tracked deletion, "
                                  "to accept or reject one by one in Word or LibreOffice"));
    m_save = new QPushButton(tr("Save As..."), this);
    m_save->setObjectName(QStringLiteral("saveAs"));
    m_saveAll = new QPushButton(tr("Save All..."), this);
    m_saveAll->setObjectName(QStringLiteral("saveAll"));
    m_close = new QPushButton(tr("Close Document"), this);
    m_close->setObjectName(QStringLiteral("closeDocument"));

    auto* right = new QWidget(this);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(m_details);
    rightLayout->addWidget(m_text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_showMarks);
    buttons->addStretch(1);
    buttons->addWidget(m_trackChanges);
    buttons->addWidget(m_save);
    buttons->addWidget(m_saveAll);
    buttons->addWidget(m_close);
    rightLayout->addLayout(buttons);

    auto* splitter = new QSplitter(this);
    splitter->addWidget(m_documents);
    splitter->addWidget(right);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({260, 640});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter);

    connect(m_documents, &QListWidget::currentRowChanged, this, [this] { showSelected(); });
    connect(m_showMarks, &QCheckBox::toggled, m_model, &CopyTextModel::setShowMarks);
    connect(m_save, &QPushButton::clicked, this, [this] { saveSelected(); });
    connect(m_saveAll, &QPushButton::clicked, this, [this] { saveAll(); });
    connect(m_close, &QPushButton::clicked, this, [this] { closeSelected(); });
    refresh();
}

HostWindow::~HostWindow() = default;

void HostWindow::addApplication(const std::shared_ptr<DocxApplication>& application)
{
    if (std::find(m_applications.begin(), m_applications.end(), application) != m_applications.end()) {
        refresh();
        return;
    }
    const int before = m_documents->count();
    m_applications.push_back(application);
    refresh();
    if (m_documents->count() > before) {
        selectDocument(before);
    }
}

std::vector<std::shared_ptr<DocxDocument>> HostWindow::documents() const
{
    std::vector<std::shared_ptr<DocxDocument>> all;
    for (const auto& application : m_applications) {
        for (auto& document : application->docxDocuments().list()) {
            all.push_back(std::move(document));
        }
    }
    return all;
}

QString HostWindow::removalSummary(const DocxDocument& document)
{
    const auto& cleaning = document.cleaning();
    if (!cleaning) {
        return {};
    }
    if (cleaning->removed == 0) {
        return tr("nothing removed");
    }
    const bool one = cleaning->removed == 1;
    if (cleaning->mode == engine::RemovalMode::Lines) {
        return one ? tr("1 paragraph removed") : tr("%1 paragraphs removed").arg(cleaning->removed);
    }
    return one ? tr("1 word removed") : tr("%1 words removed").arg(cleaning->removed);
}

QString HostWindow::caption(const DocxDocument& document)
{
    QStringList parts{document.name()};
    if (!document.sourcePath().isEmpty()) {
        parts << tr("cleaned copy of %1").arg(QFileInfo(document.sourcePath()).fileName());
    }
    const QString summary = removalSummary(document);
    if (!summary.isEmpty()) {
        parts << summary;
    }
    return parts.join(QStringLiteral(" \u2014 "));
}

void HostWindow::refresh()
{
    const int row = std::max(0, m_documents->currentRow());
    const QSignalBlocker blocker(m_documents);
    m_documents->clear();
    for (const auto& document : documents()) {
        m_documents->addItem(caption(*document) + (document->saved() ? QString() : QStringLiteral(" *")));
    }
    m_documents->setCurrentRow(std::min(row, m_documents->count() - 1));
    showSelected();
}

void HostWindow::selectDocument(int row)
{
    m_documents->setCurrentRow(row);
}

std::shared_ptr<DocxDocument> HostWindow::selectedDocument() const
{
    const auto all = documents();
    const int row = m_documents->currentRow();
    return (row >= 0 && row < int(all.size())) ? all[std::size_t(row)] : nullptr;
}

void HostWindow::updateTitle()
{
    setWindowTitle(m_shown ? m_shown->name() + QStringLiteral(" - ") + DocxApplication::applicationName()
                           : DocxApplication::applicationName());
}

void HostWindow::showSelected()
{
    const auto document = selectedDocument();
    m_save->setEnabled(bool(document));
    m_close->setEnabled(bool(document));
    const auto all = documents();
    m_saveAll->setEnabled(std::any_of(all.begin(), all.end(), [](const auto& d) { return !d->saved(); }));
    if (document != m_shown) {
        m_shown = document;
        m_model->setDocument(document);
    }
    if (!document) {
        m_details->clear();
        updateTitle();
        return;
    }
    QStringList details;
    if (!document->sourcePath().isEmpty()) {
        details << tr("Cleaned copy of %1").arg(document->sourcePath().toHtmlEscaped());
    } else if (!document->fullName().isEmpty()) {
        details << document->fullName().toHtmlEscaped();
    }
    const QString summary = removalSummary(*document);
    if (!summary.isEmpty()) {
        details << (document->deletionCount() > 0 ? tr("%1, shown struck through").arg(summary) : summary);
    }
    details << (document->saved() ? tr("saved") : tr("not saved"));
    m_details->setText(details.join(QStringLiteral(" &middot; ")));
    updateTitle();
}

bool HostWindow::saveSelected()
{
    const auto document = selectedDocument();
    if (!document) {
        return false;
    }
    const bool tracked = m_trackChanges->isChecked();
    const QString source = document->sourcePath().isEmpty() ? document->fullName() : document->sourcePath();
    const QFileInfo sourceInfo(source);
    // Tracked changes live only in a Word document, whatever the source was.
    const bool text = document->isPlainText() && !tracked;
    const QString suggested = sourceInfo.fileName().isEmpty()
                                  ? document->name()
                                  : sourceInfo.absolutePath() + QStringLiteral("/") + sourceInfo.completeBaseName() +
                                        (tracked ? QStringLiteral(" (reviewed)") : QStringLiteral(" (cleaned)"));
    const QString filter =
        text ? QStringLiteral("Text (*.txt)|*.txt") : QStringLiteral("Word Document (*.docx)|*.docx");
    const QString extension = text ? QStringLiteral(".txt") : QStringLiteral(".docx");
    QString path = m_saveDialog.showSave(this, tr("Save As"), suggested + extension, filter);
    if (path.isEmpty()) {
        return false;
    }
    if (!path.endsWith(extension, Qt::CaseInsensitive)) {
        path += extension;
    }
    try {
        CopySaving::save(*document, path, tracked);
    } catch (const engine::HostError& error) {
        m_messageBox.show(this, error.message(), platform::MsgBoxButtons::Ok);
        return false;
    }
    refresh();
    return true;
}

bool HostWindow::saveAll()
{
    const QString folder = m_folderBrowser.browse(this, tr("Choose the folder to save the cleaned copies in:"));
    if (folder.isEmpty()) {
        return false;
    }
    CopySaving saving(m_messageBox, this);
    const CopySaving::Outcome outcome = saving.saveAll(documents(), folder, m_trackChanges->isChecked());
    refresh();
    const QString report = CopySaving::report(outcome);
    if (!report.isEmpty()) {
        m_messageBox.show(this, report, platform::MsgBoxButtons::Ok);
        return false;
    }
    return true;
}

bool HostWindow::mayClose(DocxDocument& document)
{
    if (document.saved()) {
        return true;
    }
    const auto answer = m_messageBox.show(this, tr("Do you want to save the changes to %1?").arg(document.name()),
                                          platform::MsgBoxButtons::YesNo);
    switch (answer) {
    case platform::MsgBoxAnswer::Yes:
        return saveSelected();
    case platform::MsgBoxAnswer::No:
        return true;
    default:
        return false;
    }
}

bool HostWindow::mayCloseAll()
{
    QStringList unsaved;
    for (const auto& document : documents()) {
        if (!document->saved()) {
            unsaved << caption(*document);
        }
    }
    if (unsaved.isEmpty()) {
        return true;
    }
    const QString question = (unsaved.size() == 1 ? tr("This copy is not saved:") : tr("These copies are not saved:")) +
                             QStringLiteral("\r\n\r\n") + unsaved.join(QStringLiteral("\r\n")) +
                             QStringLiteral("\r\n\r\n") + tr("Do you want to save them before closing?");
    switch (m_messageBox.show(this, question, platform::MsgBoxButtons::SaveAllDiscardAllCancel)) {
    case platform::MsgBoxAnswer::SaveAll:
        return saveAll();
    case platform::MsgBoxAnswer::DiscardAll:
        return true;
    default:
        return false;
    }
}

void HostWindow::closeSelected()
{
    const auto document = selectedDocument();
    if (!document || !mayClose(*document)) {
        return;
    }
    document->close();
    refresh();
    if (documents().empty()) {
        close();
    }
}

void HostWindow::closeEvent(QCloseEvent* event)
{
    if (!mayCloseAll()) {
        event->ignore();
        return;
    }
    m_model->setDocument(nullptr);
    m_shown.reset();
    for (const auto& document : documents()) {
        document->close();
    }
    for (const auto& application : m_applications) {
        application->setVisible(false);
    }
    m_applications.clear();
    refresh();
    event->accept();
}

} // namespace quillsift::docx
