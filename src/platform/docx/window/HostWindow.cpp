// SPDX-License-Identifier: GPL-3.0-or-later
#include "HostWindow.h"

#include "engine/HostError.h"
#include "platform/Dialogs.h"
#include "platform/docx/DocxApplication.h"
#include "platform/docx/DocxDocument.h"
#include "platform/docx/DocxDocuments.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <algorithm>
#include <map>

namespace quillsift::docx {

namespace {
QList<HostWindow*>& openWindows()
{
    static QList<HostWindow*> windows;
    return windows;
}

struct Character {
    QChar ch;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool removed = false;
};

QString escapedCharacter(QChar ch)
{
    switch (ch.unicode()) {
    case 13:
    case 7:
        return {};
    case 9:
        return QStringLiteral("&emsp;");
    case 11:
    case 12:
    case 14:
        return QStringLiteral("<br>");
    case 1:
        return QStringLiteral("<span style=\"color:#666\">[picture]</span>");
    case 2:
        return QStringLiteral("<sup>*</sup>");
    case '<':
        return QStringLiteral("&lt;");
    case '>':
        return QStringLiteral("&gt;");
    case '&':
        return QStringLiteral("&amp;");
    default:
        return QString(ch);
    }
}

QString paragraphHtml(const std::vector<Character>& characters)
{
    QString html;
    std::size_t i = 0;
    while (i < characters.size()) {
        const Character& first = characters[i];
        QString text;
        std::size_t j = i;
        for (; j < characters.size(); ++j) {
            const Character& c = characters[j];
            if (c.bold != first.bold || c.italic != first.italic || c.underline != first.underline ||
                c.removed != first.removed) {
                break;
            }
            text += escapedCharacter(c.ch);
        }
        if (first.bold) {
            text = QStringLiteral("<b>") + text + QStringLiteral("</b>");
        }
        if (first.italic) {
            text = QStringLiteral("<i>") + text + QStringLiteral("</i>");
        }
        if (first.underline) {
            text = QStringLiteral("<u>") + text + QStringLiteral("</u>");
        }
        if (first.removed) {
            text = QStringLiteral("<s style=\"color:#b00000;background:#fde8e8\">") + text + QStringLiteral("</s>");
        }
        html += text;
        i = j;
    }
    return html.isEmpty() ? QStringLiteral("&nbsp;") : html;
}
} // namespace

HostWindow::HostWindow(std::shared_ptr<DocxApplication> application, platform::SaveFileDialog& saveDialog,
                       platform::MessageBox& messageBox, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_application(std::move(application))
    , m_saveDialog(saveDialog)
    , m_messageBox(messageBox)
{
    setObjectName(QStringLiteral("HostWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(820, 560);

    m_documents = new QListWidget(this);
    m_documents->setObjectName(QStringLiteral("documents"));
    m_details = new QLabel(this);
    m_details->setObjectName(QStringLiteral("details"));
    m_details->setTextFormat(Qt::RichText);
    m_details->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_details->setWordWrap(true);
    m_text = new QTextBrowser(this);
    m_text->setObjectName(QStringLiteral("text"));
    m_save = new QPushButton(tr("Save As..."), this);
    m_save->setObjectName(QStringLiteral("saveAs"));
    m_close = new QPushButton(tr("Close Document"), this);
    m_close->setObjectName(QStringLiteral("closeDocument"));

    auto* right = new QWidget(this);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(m_details);
    rightLayout->addWidget(m_text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_save);
    buttons->addWidget(m_close);
    rightLayout->addLayout(buttons);

    auto* splitter = new QSplitter(this);
    splitter->addWidget(m_documents);
    splitter->addWidget(right);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({180, 640});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter);

    connect(m_documents, &QListWidget::currentRowChanged, this, [this] { showSelected(); });
    connect(m_save, &QPushButton::clicked, this, [this] { saveSelected(); });
    connect(m_close, &QPushButton::clicked, this, [this] { closeSelected(); });

    openWindows().append(this);
    refresh();
}

HostWindow::~HostWindow()
{
    openWindows().removeAll(this);
}

HostWindow* HostWindow::showFor(const std::shared_ptr<DocxApplication>& application,
                                platform::SaveFileDialog& saveDialog, platform::MessageBox& messageBox)
{
    for (HostWindow* window : std::as_const(openWindows())) {
        if (window->m_application == application) {
            window->refresh();
            window->show();
            window->raise();
            return window;
        }
    }
    auto* window = new HostWindow(application, saveDialog, messageBox);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        window->move(screen->availableGeometry().center() - window->rect().center());
    }
    window->show();
    return window;
}

int HostWindow::openCount()
{
    return int(openWindows().size());
}

void HostWindow::installAsWindowListener(platform::SaveFileDialog& saveDialog, platform::MessageBox& messageBox)
{
    DocxApplication::setWindowListener([&saveDialog, &messageBox](const std::shared_ptr<DocxApplication>& application) {
        showFor(application, saveDialog, messageBox);
    });
}

void HostWindow::refresh()
{
    const int row = std::max(0, m_documents->currentRow());
    const QSignalBlocker blocker(m_documents);
    m_documents->clear();
    for (const auto& document : m_application->docxDocuments().list()) {
        m_documents->addItem(document->name());
    }
    m_documents->setCurrentRow(std::min(row, m_documents->count() - 1));
    showSelected();
    updateTitle();
}

void HostWindow::selectDocument(int row)
{
    m_documents->setCurrentRow(row);
}

std::shared_ptr<DocxDocument> HostWindow::selectedDocument() const
{
    const auto documents = m_application->docxDocuments().list();
    const int row = m_documents->currentRow();
    return (row >= 0 && row < int(documents.size())) ? documents[std::size_t(row)] : nullptr;
}

void HostWindow::updateTitle()
{
    const auto document = selectedDocument();
    setWindowTitle(document ? document->name() + QStringLiteral(" - ") + DocxApplication::applicationName()
                            : DocxApplication::applicationName());
}

QString HostWindow::removalSummary(const DocxDocument& document)
{
    const std::size_t removed = document.deletionCount();
    if (document.sourcePath().isEmpty() && removed == 0) {
        return {};
    }
    return tr("%n removed, shown struck through", nullptr, int(removed));
}

void HostWindow::showSelected()
{
    const auto document = selectedDocument();
    m_save->setEnabled(bool(document));
    m_close->setEnabled(bool(document));
    if (!document) {
        m_details->clear();
        m_text->clear();
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
        details << summary;
    }
    details << (document->saved() ? tr("saved") : tr("not saved"));
    m_details->setText(details.join(QStringLiteral(" &middot; ")));
    m_text->setHtml(documentHtml(*document));
    updateTitle();
}

QString HostWindow::documentHtml(const DocxDocument& document)
{
    // Rebuild each paragraph as it was before the run: the kept characters with their formatting,
    // and every deletion put back, last one first, at the offset it was taken from.
    std::map<qint64, std::vector<Character>> paragraphs;
    for (const auto& paragraph : document.formattedParagraphs()) {
        auto& characters = paragraphs[paragraph.paragraph];
        for (const auto& run : paragraph.runs) {
            for (QChar ch : run.text) {
                characters.push_back({ch, run.bold, run.italic, run.underline, false});
            }
        }
    }
    const auto deletions = document.deletions();
    for (auto it = deletions.rbegin(); it != deletions.rend(); ++it) {
        auto& characters = paragraphs[it->paragraph];
        std::vector<Character> removed;
        for (QChar ch : it->text) {
            removed.push_back({ch, false, false, false, true});
        }
        const auto at = std::size_t(std::clamp<qint64>(it->offset, 0, qint64(characters.size())));
        characters.insert(characters.begin() + qint64(at), removed.begin(), removed.end());
    }
    QString html;
    for (const auto& [index, characters] : paragraphs) {
        html += QStringLiteral("<p>") + paragraphHtml(characters) + QStringLiteral("</p>");
    }
    return html;
}

bool HostWindow::saveSelected()
{
    const auto document = selectedDocument();
    if (!document) {
        return false;
    }
    const QString source = document->sourcePath().isEmpty() ? document->fullName() : document->sourcePath();
    const QFileInfo sourceInfo(source);
    const bool text = document->isPlainText();
    const QString suggested = sourceInfo.fileName().isEmpty()
                                  ? document->name()
                                  : sourceInfo.absolutePath() + QStringLiteral("/") + sourceInfo.completeBaseName() +
                                        QStringLiteral(" (cleaned)");
    const QString filter =
        text ? QStringLiteral("Text (*.txt)|*.txt") : QStringLiteral("Word Document (*.docx)|*.docx");
    QString path = m_saveDialog.showSave(this, tr("Save As"),
                                         suggested + (text ? QStringLiteral(".txt") : QStringLiteral(".docx")), filter);
    if (path.isEmpty()) {
        return false;
    }
    const QString extension = text ? QStringLiteral(".txt") : QStringLiteral(".docx");
    if (!path.endsWith(extension, Qt::CaseInsensitive)) {
        path += extension;
    }
    try {
        document->saveAs(path);
    } catch (const engine::HostError& error) {
        m_messageBox.show(this, error.message(), platform::MsgBoxButtons::Ok);
        return false;
    }
    showSelected();
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

void HostWindow::closeSelected()
{
    const auto document = selectedDocument();
    if (!document || !mayClose(*document)) {
        return;
    }
    document->close();
    refresh();
    if (m_application->docxDocuments().list().empty()) {
        close();
    }
}

void HostWindow::closeEvent(QCloseEvent* event)
{
    const auto documents = m_application->docxDocuments().list();
    for (std::size_t row = 0; row < documents.size(); ++row) {
        if (documents[row]->saved()) {
            continue;
        }
        selectDocument(int(row));
        if (!mayClose(*documents[row])) {
            event->ignore();
            return;
        }
    }
    for (const auto& document : documents) {
        document->close();
    }
    m_application->setVisible(false);
    event->accept();
}

} // namespace quillsift::docx
