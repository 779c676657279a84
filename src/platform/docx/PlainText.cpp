// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlainText.h"

#include "ParagraphReader.h"

#include "engine/HostError.h"
#include "engine/Units.h"

#include <QStringDecoder>

#include <algorithm>

namespace quillsift::docx {

namespace {

// A text file is decoded, and a story's text encoded, this many bytes or characters at a time.
constexpr qsizetype textAtOnce = PlainText::Encoder::pieceLength;

const char* const contentTypes =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
    R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
    R"(<Default Extension="xml" ContentType="application/xml"/>)"
    R"(<Override PartName="/word/document.xml" )"
    R"(ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>)"
    R"(</Types>)";

const char* const packageRelationships =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" )"
    R"(Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" )"
    R"(Target="word/document.xml"/>)"
    R"(</Relationships>)";

} // namespace

namespace {

/// Writes the main part of a package of plain text as its characters come, a piece at a time:
/// one paragraph per line (split at CR LF, LF or CR; a final line break ends the last line, and
/// a text without any is one line), a tab, page break or line break as its element, other
/// control characters left out, and the rest in w:t elements of at most the UTF-8 length the
/// paragraph reader takes without splitting them, so that it never has to copy them out.
/// It owns the part's bytes and the line being written, and touches nothing else.
class BodyWriter
{
  public:
    explicit BodyWriter(qsizetype sizeHint)
    {
        m_xml.reserve(sizeHint + 1024);
        m_xml += R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
                 R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><w:body>)";
        m_pending.reserve(ParagraphReader::maxTextBytes);
    }

    void add(QStringView text)
    {
        for (const QChar c : text) {
            const char16_t code = c.unicode();
            if (code == u'\n' && m_afterCarriageReturn) {
                m_afterCarriageReturn = false;
                continue;
            }
            m_afterCarriageReturn = code == u'\r';
            if (code == u'\r' || code == u'\n') {
                endLine();
                continue;
            }
            ++m_lineLength;
            if (code == engine::chars::Tab) {
                element("<w:tab/>");
            } else if (code == engine::chars::PageBreak) {
                element(R"(<w:br w:type="page"/>)");
            } else if (code == engine::chars::LineBreak) {
                element("<w:br/>");
            } else if (code >= 0x20 && code != 0xFFFE && code != 0xFFFF) {
                m_pending.append(c);
                m_pendingBytes += code < 0x80 ? 1 : code < 0x800 ? 2 : c.isSurrogate() ? 2 : 3;
                // Never between the halves of a surrogate pair.
                if (m_pendingBytes + 3 >= qsizetype(ParagraphReader::maxTextBytes) && !c.isHighSurrogate()) {
                    flushText();
                }
            }
        }
    }

    /// The part's bytes, the last line ended.
    QByteArray finish() &&
    {
        if (m_lineLength > 0 || m_lines == 0) {
            endLine();
        }
        m_xml += "<w:sectPr/></w:body></w:document>";
        if (m_xml.capacity() - m_xml.size() > m_xml.size() / 4) {
            m_xml.squeeze();
        }
        return std::move(m_xml);
    }

  private:
    void openRun()
    {
        if (!m_inRun) {
            m_xml += "<w:p><w:r>";
            m_inRun = true;
        }
    }
    void element(const char* xml)
    {
        flushText();
        openRun();
        m_xml += xml;
    }
    void flushText()
    {
        if (m_pending.isEmpty()) {
            return;
        }
        openRun();
        m_xml += R"(<w:t xml:space="preserve">)";
        const QByteArray utf8 = m_pending.toUtf8();
        qsizetype from = 0;
        for (qsizetype i = 0; i < utf8.size(); ++i) {
            const char* escape = utf8[i] == '&' ? "&amp;" : utf8[i] == '<' ? "&lt;" : utf8[i] == '>' ? "&gt;" : nullptr;
            if (escape) {
                m_xml.append(utf8.constData() + from, i - from);
                m_xml += escape;
                from = i + 1;
            }
        }
        m_xml.append(utf8.constData() + from, utf8.size() - from);
        m_xml += "</w:t>";
        m_pending.resize(0);
        m_pendingBytes = 0;
    }
    void endLine()
    {
        flushText();
        m_xml += m_inRun ? "</w:r></w:p>" : "<w:p/>";
        m_inRun = false;
        m_lineLength = 0;
        ++m_lines;
    }

    QByteArray m_xml;
    QString m_pending;
    /// The UTF-8 length of m_pending.
    qsizetype m_pendingBytes = 0;
    bool m_inRun = false;
    bool m_afterCarriageReturn = false;
    qsizetype m_lineLength = 0;
    qsizetype m_lines = 0;
};

Package packageWithBody(QByteArray mainPart)
{
    Package package;
    package.setData(QStringLiteral("[Content_Types].xml"), QByteArray(contentTypes));
    package.setData(QStringLiteral("_rels/.rels"), QByteArray(packageRelationships));
    package.setData(QStringLiteral("word/document.xml"), std::move(mainPart));
    return package;
}

} // namespace

Package PlainText::toPackage(const QString& fileName, const QByteArray& bytes)
{
    QStringConverter::Encoding encoding = QStringConverter::Utf8;
    if (bytes.startsWith("\xFF\xFE")) {
        encoding = QStringConverter::Utf16LE;
    } else if (bytes.startsWith("\xFE\xFF")) {
        encoding = QStringConverter::Utf16BE;
    }
    // Room for the text as it is and the markup of each line, which ends at a CR or an LF.
    const auto breaks =
        qsizetype(std::count_if(bytes.begin(), bytes.end(), [](char c) { return c == '\n' || c == '\r'; }));
    BodyWriter body(bytes.size() + 64 * breaks);
    // Decoded a piece at a time, each ending where a character does, so that each is decoded as
    // the whole text would be: a character cut off at the end of the file is still an error.
    QStringDecoder decoder(encoding, QStringConverter::Flag::ConvertInitialBom | QStringConverter::Flag::Stateless);
    const bool utf16 = encoding != QStringConverter::Utf8;
    auto unitBefore = [&](qsizetype at) {
        const auto first = uchar(bytes[at - 2]);
        const auto second = uchar(bytes[at - 1]);
        return encoding == QStringConverter::Utf16LE ? char16_t(first | second << 8) : char16_t(first << 8 | second);
    };
    bool atStart = true;
    for (qsizetype from = 0; from < bytes.size();) {
        qsizetype to = std::min(from + textAtOnce, bytes.size());
        if (to < bytes.size() && !utf16) {
            while (to > from + 1 && (uchar(bytes[to]) & 0xC0) == 0x80) {
                --to;
            }
        } else if (to < bytes.size() && QChar::isHighSurrogate(unitBefore(to))) {
            to -= 2;
        }
        QString piece = decoder.decode(QByteArrayView(bytes).sliced(from, to - from));
        if (decoder.hasError()) {
            throw engine::HostError(fileName, QStringLiteral("the text file is neither UTF-8 nor UTF-16 with a "
                                                             "byte-order mark"));
        }
        if (atStart && !piece.isEmpty()) {
            // A byte-order mark is no text.
            if (piece.front() == QChar(0xFEFF)) {
                piece.remove(0, 1);
            }
            atStart = false;
        }
        body.add(piece);
        from = to;
    }
    return packageWithBody(std::move(body).finish());
}

Package PlainText::emptyPackage()
{
    return packageWithBody(BodyWriter(0).finish());
}

PlainText::Encoder::Encoder(qint64 expectedLength)
{
    // A text of ASCII, as most are, takes a byte a character.
    m_bytes.reserve(qsizetype(std::max<qint64>(expectedLength, 0)));
    m_cleaned.reserve(textAtOnce);
}

void PlainText::Encoder::append(QStringView storyText)
{
    for (const QChar c : storyText) {
        const char16_t code = c.unicode();
        if (code == engine::chars::ParagraphMark) {
            m_cleaned.append(QLatin1Char('\n'));
        } else if (code == engine::chars::EndOfCell) {
            continue;
        } else if (code == engine::chars::LineBreak) {
            m_cleaned.append(QLatin1Char('\n'));
        } else if (code == engine::chars::NoBreakHyphen) {
            m_cleaned.append(QLatin1Char('-'));
        } else if (code == engine::chars::SoftHyphen || code == engine::chars::Object ||
                   code == engine::chars::NoteReference) {
            continue;
        } else {
            m_cleaned.append(c);
        }
        if (m_cleaned.size() >= textAtOnce) {
            flush();
        }
    }
}

void PlainText::Encoder::flush()
{
    // The encoder keeps half of a surrogate pair that ends one piece for the next.
    m_bytes.append(QByteArray(m_utf8.encode(m_cleaned)));
    m_cleaned.resize(0);
}

QByteArray PlainText::Encoder::take()
{
    flush();
    return std::move(m_bytes);
}

} // namespace quillsift::docx
