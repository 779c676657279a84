// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "LoParagraph.h"

#include "text/ParagraphIndex.h"
#include "text/UnitNavigation.h"
#include "text/WordSegmenter.h"

#include "engine/Units.h"

#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextRange.hpp>

#include <QString>

#include <optional>
#include <unordered_set>
#include <vector>

namespace quillsift::libreoffice {

class LoRange;

/// The main story of a document open in LibreOffice, as the automation interface sees it: the
/// body's paragraphs (table cells included) in document order, each with its text as a run of
/// positions. LibreOffice has no character positions of its own, so the story keeps the text of
/// every paragraph beside the paragraph's UNO object; every Delete goes to LibreOffice first and
/// the paragraphs it touched are read back from it, so the two never drift apart.
class LoStory
{
  public:
    using Span = text::UnitSpan;

    /// Reads the document's body. Throws HostError naming fileName.
    /// loader, where given, makes the new documents a formatted copy starts from.
    LoStory(QString fileName, css::uno::Reference<css::text::XTextDocument> document,
            css::uno::Reference<css::frame::XComponentLoader> loader = {});
    ~LoStory();
    LoStory(const LoStory&) = delete;
    LoStory& operator=(const LoStory&) = delete;

    /// Reads the whole body again; every live range collapses to the start.
    void reload();
    /// Makes this document a copy of the file at path, formatting and all: Writer opens the file
    /// as a template (a new untitled document with everything the file holds) in place of this
    /// one, or where it cannot, inserts the file's body as its "insert text from file" does. The
    /// file is only read.
    void insertFile(const QString& path);

    const css::uno::Reference<css::text::XTextDocument>& document() const
    {
        return m_document;
    }
    const QString& fileName() const
    {
        return m_fileName;
    }
    void ensureOpen() const;
    void markClosed();
    bool isClosed() const
    {
        return m_closed;
    }

    qint64 length() const
    {
        return m_index.length();
    }
    QString text(qint64 start, qint64 end) const;

    std::optional<Span> unitAt(engine::Unit unit, qint64 position);
    std::optional<Span> nextUnit(engine::Unit unit, qint64 start, qint64 end);
    std::optional<Span> previousUnit(engine::Unit unit, qint64 start);
    qint64 countUnits(engine::Unit unit, qint64 start, qint64 end);
    std::optional<Span> unitByIndex(engine::Unit unit, qint64 start, qint64 end, qint64 index);

    /// Deletes [start, end) in LibreOffice as Range.Delete does and moves every live range.
    void deleteText(qint64 start, qint64 end);
    /// Every literal, case-insensitive match of needle inside [start, end), in order, without overlaps.
    std::vector<Span> findMatches(qint64 start, qint64 end, const QString& needle, bool wholeWord);

    void registerRange(LoRange* range);
    void unregisterRange(LoRange* range);

  private:
    using Paragraph = LoParagraph;

    void load();
    bool openAsTemplate(const QString& path);
    /// The word units of the paragraphs, as the navigation reads them: segmented when first
    /// asked for.
    class Words
    {
      public:
        explicit Words(std::vector<Paragraph>& paragraphs)
            : m_paragraphs(paragraphs)
        {
        }
        const std::vector<quint32>& unitEnds(std::size_t slot);
        void segmentAll();

      private:
        std::vector<Paragraph>& m_paragraphs;
        text::WordSegmenter m_segmenter;
    };

    /// The paragraph's text changed to length characters: the index and the counts follow.
    void setLength(std::size_t slot, qint64 length);
    qint64 markLength(const Paragraph& paragraph) const;
    qint32 cursorStep(const Paragraph& paragraph, qint64 offset) const;
    void deleteInParagraph(std::size_t slot, qint64 from, qint64 to);
    void moveRanges(qint64 from, qint64 to);
    bool isWholeWord(std::size_t slot, qint64 from, qint64 to);
    /// Whether Writer can delete [from, to) of a paragraph as asked: neither end falls inside
    /// something it keeps whole, such as a field's result.
    bool isDeletable(const Paragraph& paragraph, qint64 from, qint64 to) const;
    [[noreturn]] void fail(const QString& what) const;

    QString m_fileName;
    css::uno::Reference<css::text::XTextDocument> m_document;
    css::uno::Reference<css::frame::XComponentLoader> m_loader;
    std::vector<Paragraph> m_paragraphs;
    text::ParagraphIndex m_index;
    Words m_words{m_paragraphs};
    text::UnitNavigation<Words> m_navigation{m_index, m_words};
    std::unordered_set<LoRange*> m_ranges;
    bool m_closed = false;
};

} // namespace quillsift::libreoffice
