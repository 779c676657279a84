// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <memory>
#include <vector>

class QCheckBox;
class QLabel;
class QListView;
class QListWidget;
class QPushButton;

namespace quillsift::platform {
class FolderBrowser;
class MessageBox;
class SaveFileDialog;
} // namespace quillsift::platform

namespace quillsift::docx {

class CopyTextModel;
class DocxApplication;
class DocxDocument;

/// The in-process host's own window, what Word's window is on Windows: the open documents of
/// every application shown in it, in the order they were made, each cleaned copy named with its
/// source and what its run removed; the selected one's text with its basic formatting and what
/// was removed struck through where it stood, drawn only as far as it is on screen. From here the
/// user saves one copy under a name of their choice, or all of them into a folder, and closes
/// them. It owns its controls and shares the applications with the host; it asks the user only
/// through the dialogs it is given.
class HostWindow : public QWidget
{
    Q_OBJECT

  public:
    /// The dialogs outlive the window.
    HostWindow(platform::SaveFileDialog& saveDialog, platform::FolderBrowser& folderBrowser,
               platform::MessageBox& messageBox, QWidget* parent = nullptr);
    ~HostWindow() override;

    /// Shows application's documents after those already shown (once for each application).
    void addApplication(const std::shared_ptr<DocxApplication>& application);
    /// The open documents of every application shown, in order.
    std::vector<std::shared_ptr<DocxDocument>> documents() const;

    /// Lists the documents again and shows the selected one.
    void refresh();
    /// Selects the document at row (from 0).
    void selectDocument(int row);
    /// Asks where to save the selected document and saves it; false when cancelled or failed.
    /// With "Keep removals as tracked changes" ticked, these save Word documents that hold the
    /// removals as tracked deletions, to accept or reject in a word processor.
    bool saveSelected();
    /// Asks for a folder and saves every unsaved document into it; false when cancelled or when
    /// one is left unsaved.
    bool saveAll();
    /// Closes the selected document, asking first whether to save it when it is unsaved.
    void closeSelected();

    /// "Document3 — cleaned copy of report.docx — 12 paragraphs removed".
    static QString caption(const DocxDocument& document);
    /// "12 paragraphs removed", "340 words removed", "nothing removed", or nothing for a
    /// document no run has cleaned.
    static QString removalSummary(const DocxDocument& document);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    std::shared_ptr<DocxDocument> selectedDocument() const;
    void showSelected();
    /// Asks whether to save an unsaved document; false when the user wants it kept open.
    bool mayClose(DocxDocument& document);
    /// Asks once about every unsaved document; false when the user wants them kept open.
    bool mayCloseAll();
    void updateTitle();

    platform::SaveFileDialog& m_saveDialog;
    platform::FolderBrowser& m_folderBrowser;
    platform::MessageBox& m_messageBox;
    std::vector<std::shared_ptr<DocxApplication>> m_applications;
    std::shared_ptr<DocxDocument> m_shown;
    QListWidget* m_documents = nullptr;
    QLabel* m_details = nullptr;
    QListView* m_text = nullptr;
    CopyTextModel* m_model = nullptr;
    QCheckBox* m_showMarks = nullptr;
    QCheckBox* m_trackChanges = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_saveAll = nullptr;
    QPushButton* m_close = nullptr;
};

} // namespace quillsift::docx
