// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <memory>

class QLabel;
class QListWidget;
class QPushButton;
class QTextBrowser;

namespace quillsift::platform {
class MessageBox;
class SaveFileDialog;
} // namespace quillsift::platform

namespace quillsift::docx {

class DocxApplication;
class DocxDocument;

/// The in-process host's own window, what Word's window is on Windows: the application's open
/// documents by name, the selected one's text with its basic formatting, and for a cleaned copy
/// the source it came from and what the run removed, struck through where it stood. From here
/// the user saves a document under a name of their choice and closes it. It owns its controls and
/// shares the application with the host; it asks the user only through the save dialog and the
/// message box it is given.
class HostWindow : public QWidget
{
    Q_OBJECT

  public:
    /// Asks where to save through saveDialog and whether to save before closing through
    /// messageBox; both outlive the window.
    HostWindow(std::shared_ptr<DocxApplication> application, platform::SaveFileDialog& saveDialog,
               platform::MessageBox& messageBox, QWidget* parent = nullptr);
    ~HostWindow() override;

    /// Shows the window for an application, reusing the one already open for it; a new one asks
    /// through saveDialog and messageBox.
    static HostWindow* showFor(const std::shared_ptr<DocxApplication>& application,
                               platform::SaveFileDialog& saveDialog, platform::MessageBox& messageBox);
    /// The host windows open now.
    static int openCount();
    /// Installs showFor, with saveDialog and messageBox, as the host's window listener until
    /// another listener replaces it; both must outlive it.
    static void installAsWindowListener(platform::SaveFileDialog& saveDialog, platform::MessageBox& messageBox);

    const std::shared_ptr<DocxApplication>& application() const
    {
        return m_application;
    }

    /// Lists the application's documents again and shows the selected one.
    void refresh();
    /// Selects the document at row (from 0).
    void selectDocument(int row);
    /// Asks where to save the selected document and saves it; false when cancelled or failed.
    bool saveSelected();
    /// Closes the selected document, asking first whether to save it when it is unsaved.
    void closeSelected();

    /// The HTML shown for a document: its paragraphs, with what was removed struck through.
    static QString documentHtml(const DocxDocument& document);
    /// "3 removed", or nothing for a document no run has cleaned.
    static QString removalSummary(const DocxDocument& document);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    std::shared_ptr<DocxDocument> selectedDocument() const;
    void showSelected();
    /// Asks whether to save an unsaved document; false when the user wants it kept open.
    bool mayClose(DocxDocument& document);
    void updateTitle();

    std::shared_ptr<DocxApplication> m_application;
    platform::SaveFileDialog& m_saveDialog;
    platform::MessageBox& m_messageBox;
    QListWidget* m_documents = nullptr;
    QLabel* m_details = nullptr;
    QTextBrowser* m_text = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_close = nullptr;
};

} // namespace quillsift::docx
