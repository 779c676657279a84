// SPDX-License-Identifier: GPL-3.0-or-later
// Packages that are broken, crafted or merely unusual, each made here: what the in-process host
// refuses, and why; what it mends or leaves out, and that it says so; and that whatever it opens
// it writes back as a sound package, the same in line mode and in word mode.
#include "DocxFixture.h"

#include "docx/DocxDocuments.h"
#include "docx/DocxHostProvider.h"
#include "docx/OfficeConverter.h"
#include "docx/Package.h"
#include "engine/CleanCopy.h"
#include "engine/FileName.h"
#include "engine/HostError.h"
#include "platform/MemoryBudget.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

using namespace quillsift;
namespace qt = quillsift::testing;
using qt::u;

namespace {

constexpr const char* wordNamespace = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";

/// A main part around body, with the usual declaration unless another is given.
QByteArray mainPart(const QByteArray& body,
                    const QByteArray& declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>")
{
    return declaration + "<w:document xmlns:w=\"" + wordNamespace + "\"><w:body>" + body + "</w:body></w:document>";
}

QByteArray stylesPart(const QByteArray& inside, const QByteArray& declaration = "<?xml version=\"1.0\"?>")
{
    return declaration + "<w:styles xmlns:w=\"" + wordNamespace + "\">" + inside + "</w:styles>";
}

QByteArray withParts(const QList<QPair<QString, QByteArray>>& parts)
{
    return qt::docxBytes(u("<w:p/>"), parts);
}

/// bytes with every occurrence of from (a placeholder entry name) made to, of the same length:
/// how a test gets names into a zip that no zip library writes.
QByteArray renamed(QByteArray bytes, const QByteArray& from, const QByteArray& to)
{
    EXPECT_EQ(from.size(), to.size());
    EXPECT_TRUE(bytes.contains(from));
    return bytes.replace(from, to);
}

QByteArray relationshipsPart(const QByteArray& relationships)
{
    return "<?xml version=\"1.0\"?><Relationships "
           "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" +
           relationships + "</Relationships>";
}

QByteArray relationship(const char* id, const char* kind, const char* target,
                        const char* base = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/")
{
    return QByteArray("<Relationship Id=\"") + id + "\" Type=\"" + base + kind + "\" Target=\"" + target + "\"/>";
}

class DocxIntake : public ::testing::Test
{
  protected:
    QString write(const QString& name, const QByteArray& bytes)
    {
        return qt::writeFile(m_folder.path(), name, bytes);
    }
    QString path(const QString& name) const
    {
        return QDir(m_folder.path()).filePath(name);
    }
    /// The cause of the error opening bytes raises, or an empty string when it opens.
    QString refusal(const QByteArray& bytes, const QString& name = u("bad.docx"))
    {
        const QString file = write(name, bytes);
        try {
            m_application->documents().open(file)->close();
        } catch (const engine::HostError& error) {
            EXPECT_TRUE(error.message().startsWith(file + u(": ")));
            return error.cause();
        }
        return {};
    }

    /// What the host makes of a package it opens: the text, in both modes, and what it said.
    struct Cleaned {
        QString linesText;
        QString wordsText;
        QStringList repairs;
        QStringList problems;
        docx::Package saved;
    };
    /// Cleans bytes in both modes (no text of them repeats, so both copies hold all of it) and
    /// saves the copies, which must be sound packages.
    Cleaned clean(const QByteArray& bytes, const QString& saveName = u("saved.docx"))
    {
        Cleaned result;
        const QString source = write(u("source.docx"), bytes);
        for (const auto mode : {engine::RemovalMode::Lines, engine::RemovalMode::Words}) {
            engine::CleanResult cleaned = engine::makeCleanCopy(*m_application, source, mode);
            (mode == engine::RemovalMode::Lines ? result.linesText : result.wordsText) = cleaned.copy->range()->text();
            result.repairs = cleaned.repairs;
            const QString saved = path(saveName);
            cleaned.copy->saveAs(saved);
            cleaned.copy->close();
            result.problems << qt::packageProblems(saved);
            QFile file(saved);
            file.open(QIODevice::ReadOnly);
            result.saved = docx::Package::fromZip(saved, file.readAll());
        }
        return result;
    }

    QTemporaryDir m_folder;
    docx::DocxHostProvider m_provider;
    std::shared_ptr<engine::Application> m_application = m_provider.newApplication();
};

TEST_F(DocxIntake, CharactersXmlForbidsAreLeftOutWhereverTheyStand)
{
    const QByteArray text = "a&#1;b&#x8;c\x01"
                            "d&#0;e&#xFFFE;f&#xD800;g&#x110000;h&#99999999999999999999;i\xEF\xBF\xBFj\x1Fk&#9;l";
    const QByteArray styles = stylesPart("<w:style w:styleId=\"x&#2;y\"><w:name w:val=\"\x02z\"/></w:style>");
    const Cleaned cleaned =
        clean(withParts({{u("word/document.xml"), mainPart("<w:p><w:r><w:t>" + text + "</w:t></w:r></w:p>")},
                         {u("word/styles.xml"), styles}}));
    // Nothing after a NUL is lost, and the tab, which XML allows, stays.
    EXPECT_EQ(cleaned.linesText, u("abcdefghijk\tl\r"));
    EXPECT_EQ(cleaned.wordsText, cleaned.linesText);
    EXPECT_EQ(cleaned.problems, QStringList());
    const QByteArray savedStyles = cleaned.saved.find(u("word/styles.xml"))->data;
    EXPECT_TRUE(savedStyles.contains("w:styleId=\"xy\"")) << savedStyles.toStdString();
    EXPECT_TRUE(savedStyles.contains("w:val=\"z\""));
    EXPECT_EQ(cleaned.repairs.filter(u("word/document.xml held 10 character(s)")).size(), 1)
        << cleaned.repairs.join(u("\n")).toStdString();
    EXPECT_EQ(cleaned.repairs.filter(u("word/styles.xml held 2 character(s)")).size(), 1);

    // What leaving one character out brings together is judged again.
    const Cleaned joined =
        clean(withParts({{u("word/document.xml"), mainPart("<w:p><w:r><w:t>p&#x1\x0F;q&#&#1;x2;r&#x\x0E\x0E"
                                                           "41;s</w:t></w:r></w:p>")}}));
    EXPECT_EQ(joined.linesText, u("pqrAs\r"));
    EXPECT_EQ(joined.problems, QStringList());
}

TEST_F(DocxIntake, BytesThatAreNotUtf8BecomeReplacementCharactersInBothModes)
{
    // Overlong "/", an encoded surrogate, past U+10FFFF, a stray continuation byte, and a
    // sequence cut short by the end of the text.
    const QByteArray text = "a\xC0\xAF"
                            "b\xED\xA0\x80"
                            "c\xF4\x90\x80\x80"
                            "d\x80"
                            "e\xE2\x82";
    const Cleaned cleaned =
        clean(withParts({{u("word/document.xml"), mainPart("<w:p><w:r><w:t>" + text + "</w:t></w:r></w:p>")}}));
    const QString replacement(QChar::ReplacementCharacter);
    EXPECT_EQ(cleaned.linesText, u("a") + replacement.repeated(2) + u("b") + replacement.repeated(3) + u("c") +
                                     replacement.repeated(4) + u("d") + replacement + u("e") + replacement + u("\r"));
    // Word mode reads the same text: the replacement characters are one word repeated.
    EXPECT_EQ(cleaned.wordsText, u("a") + replacement + u("bcde\r"));
    EXPECT_EQ(cleaned.problems, QStringList());
    EXPECT_EQ(cleaned.repairs.filter(u("11 byte sequence(s) that are not UTF-8")).size(), 1)
        << cleaned.repairs.join(u("\n")).toStdString();
}

TEST_F(DocxIntake, DeclaredEncodingsAreDecodedAndWrittenAsUtf8)
{
    const QByteArray cp1252 = mainPart("<w:p><w:r><w:t>caf\xE9 \x80uro \x93quoted\x94</w:t></w:r></w:p>",
                                       "<?xml version=\"1.0\" encoding=\"windows-1252\" standalone=\"yes\"?>");
    const QByteArray latin1 =
        stylesPart("<w:style w:styleId=\"\xE9t\xE9\"/>", "<?xml version='1.0' encoding='ISO-8859-1'?>");
    QByteArray utf16("\xFF\xFE", 2);
    const QString numbering = u("<?xml version=\"1.0\" encoding=\"UTF-16\"?><w:numbering xmlns:w=\"") +
                              QLatin1String(wordNamespace) +
                              u("\"><w:abstractNum w:abstractNumId=\"\u00e9\"/></w:numbering>");
    utf16.append(reinterpret_cast<const char*>(numbering.utf16()), numbering.size() * 2);
    const Cleaned cleaned = clean(withParts(
        {{u("word/document.xml"), cp1252}, {u("word/styles.xml"), latin1}, {u("word/numbering.xml"), utf16}}));
    EXPECT_EQ(cleaned.linesText, u("café €uro “quoted”\r"));
    EXPECT_EQ(cleaned.wordsText, cleaned.linesText);
    EXPECT_EQ(cleaned.problems, QStringList());
    EXPECT_TRUE(cleaned.saved.find(u("word/document.xml"))->data.contains("encoding=\"UTF-8\""));
    const QByteArray styles = cleaned.saved.find(u("word/styles.xml"))->data;
    EXPECT_TRUE(styles.startsWith("<?xml version='1.0' encoding='UTF-8'?>")) << styles.toStdString();
    EXPECT_TRUE(styles.contains("w:styleId=\"\xC3\xA9t\xC3\xA9\""));
    const QByteArray savedNumbering = cleaned.saved.find(u("word/numbering.xml"))->data;
    EXPECT_TRUE(savedNumbering.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"))
        << savedNumbering.toStdString();
    EXPECT_TRUE(savedNumbering.contains("w:abstractNumId=\"\xC3\xA9\""));
    EXPECT_EQ(cleaned.repairs.filter(u("was written in windows-1252")).size(), 1);

    const QString unknown = refusal(
        withParts({{u("word/styles.xml"), stylesPart("", "<?xml version=\"1.0\" encoding=\"x-no-such-code\"?>")}}));
    EXPECT_TRUE(unknown.contains(u("the part word/styles.xml is written in the encoding \"x-no-such-code\", which "
                                   "cannot be read")))
        << unknown.toStdString();
    // Bytes Shift_JIS has no character for.
    const QString invalid = refusal(
        withParts({{u("word/styles.xml"), stylesPart("\x81\x20", "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>")}}));
    EXPECT_TRUE(invalid.contains(u("holds bytes that are not valid Shift_JIS"))) << invalid.toStdString();
}

TEST_F(DocxIntake, MalformedXmlIsRefusedNamingThePartAndTheFault)
{
    const QByteArray w = QByteArray("xmlns:w=\"") + wordNamespace + "\"";
    struct Case {
        const char* name;
        QByteArray part;
        const char* fault;
    };
    const Case styles[] = {
        {"an attribute twice", stylesPart("<w:style w:type=\"a\" w:type=\"b\"/>"), "redefined"},
        {"an undeclared prefix", stylesPart("<q:style/>"), "prefix"},
        {"two root elements", stylesPart("") + "<w:styles " + w + "/>", "Extra content"},
        {"text after the root", stylesPart("") + "tail", "Extra content"},
        {"a bare ampersand", stylesPart("<w:name w:val=\"AT&T\"/>"), ""},
        {"no root at all", "<?xml version=\"1.0\"?>", "Premature end"},
    };
    for (const Case& each : styles) {
        const QString cause = refusal(withParts({{u("word/styles.xml"), each.part}}));
        EXPECT_TRUE(cause.startsWith(u("the part word/styles.xml is not well-formed XML: ")))
            << each.name << ": " << cause.toStdString();
        EXPECT_TRUE(cause.contains(u(each.fault), Qt::CaseInsensitive)) << each.name << ": " << cause.toStdString();
    }
    const Case main[] = {
        {"an attribute twice", mainPart("<w:p w:rsidR=\"1\" w:rsidR=\"2\"/>"), "gives the attribute w:rsidR twice"},
        {"an undeclared prefix", mainPart("<w:p><w14:x/></w:p>"), "prefix \"w14\", which is not declared"},
        {"two root elements", mainPart("") + "<w:document " + w + "/>", "second root element"},
        {"text after the root", mainPart("") + "tail", "text stands outside its root element"},
        {"a prefix bound to nothing", mainPart("<w:p xmlns:e=\"\"/>"), "binds the prefix \"e\" to no namespace"},
        {"a name with two colons", mainPart("<w:p><w:a:b/></w:p>"), "a name that namespaces do not allow"},
        {"a name with a character names may not hold", mainPart("<w:p><w:\xC3\x97/></w:p>"),
         "a name that namespaces do not allow"},
        {"the reserved prefix declared", mainPart("<w:p xmlns:xmlns=\"urn:x\"/>"), "as namespaces forbid"},
        {"the xml prefix bound elsewhere", mainPart("<w:p xmlns:xml=\"urn:x\"/>"), "as namespaces forbid"},
    };
    for (const Case& each : main) {
        const QString cause = refusal(withParts({{u("word/document.xml"), each.part}}));
        EXPECT_TRUE(cause.startsWith(u("the part word/document.xml is not well-formed XML: ")))
            << each.name << ": " << cause.toStdString();
        EXPECT_TRUE(cause.contains(u(each.fault))) << each.name << ": " << cause.toStdString();
    }
}

TEST_F(DocxIntake, TheWordNamespaceIsFoundByItsUriWhereverItIsDeclared)
{
    const QByteArray uri = wordNamespace;
    const QByteArray twoPrefixes = "<?xml version=\"1.0\"?><w:document xmlns:w=\"" + uri + "\" xmlns:x=\"" + uri +
                                   "\"><x:body><x:p><w:r><x:t>one</x:t></w:r></x:p><w:p x:rsidR=\"1\"><x:r><w:t>two"
                                   "</w:t></x:r></w:p></x:body></w:document>";
    const QByteArray onTheBody = "<?xml version=\"1.0\"?><document xmlns=\"" + uri + "\"><w:body xmlns:w=\"" + uri +
                                 "\"><w:p><w:r><w:t>three</w:t></w:r></w:p><p><r><t>four</t></r></p></w:body>"
                                 "</document>";
    // "w" means something else here, so the part's own prefix for WordprocessingML is kept.
    const QByteArray otherW = "<?xml version=\"1.0\"?><ww:document xmlns:ww=\"" + uri +
                              "\" xmlns:w=\"urn:other\"><ww:body><ww:p><w:x/><ww:r><ww:t>five</ww:t></ww:r></ww:p>"
                              "</ww:body></ww:document>";
    for (const auto& [part, expected] : {std::pair{twoPrefixes, u("one\rtwo\r")},
                                         std::pair{onTheBody, u("three\rfour\r")}, std::pair{otherW, u("five\r")}}) {
        const Cleaned cleaned = clean(withParts({{u("word/document.xml"), part}}));
        EXPECT_EQ(cleaned.linesText, expected);
        EXPECT_EQ(cleaned.wordsText, expected);
        EXPECT_EQ(cleaned.problems, QStringList()) << part.toStdString();
        auto reopened = m_application->documents().open(path(u("saved.docx")));
        EXPECT_EQ(reopened->range()->text(), expected);
        reopened->close();
    }
    // Two prefixes for one namespace make one attribute of two.
    const QByteArray twice = "<?xml version=\"1.0\"?><w:document xmlns:w=\"" + uri + "\" xmlns:x=\"" + uri +
                             "\"><w:body><w:p w:rsidR=\"1\" x:rsidR=\"2\"/></w:body></w:document>";
    EXPECT_TRUE(refusal(withParts({{u("word/document.xml"), twice}})).contains(u("gives the attribute w:rsidR twice")));
}

TEST_F(DocxIntake, ADeclarationIsWrittenWithWhatADeclarationMayHold)
{
    const Cleaned cleaned = clean(
        withParts({{u("word/document.xml"), mainPart("<w:p><w:r><w:t>text</w:t></w:r></w:p>",
                                                     "<?xml version=\"1.0\" foo=\"bar\" standalone=\"yes\"?>")}}));
    EXPECT_EQ(cleaned.linesText, u("text\r"));
    EXPECT_EQ(cleaned.problems, QStringList());
    EXPECT_TRUE(cleaned.saved.find(u("word/document.xml"))
                    ->data.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"));
}

QByteArray macroContentTypes()
{
    return "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
           "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
           "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
           "<Default Extension=\"bin\" ContentType=\"application/vnd.ms-office.vbaProject\"/>"
           "<Override PartName=\"/word/document.xml\" "
           "ContentType=\"application/vnd.ms-word.document.macroEnabled.main+xml\"/>"
           "<Override PartName=\"/word/vbaData.xml\" ContentType=\"application/vnd.ms-word.vbaData+xml\"/>"
           "<Override PartName=\"/word/styles.xml\" "
           "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml\"/>"
           "</Types>";
}

TEST_F(DocxIntake, SavingMacrosAwayDropsOnlyWhatIsAMacro)
{
    const char* office = "http://schemas.microsoft.com/office/2006/relationships/";
    const QByteArray styles = stylesPart("<w:style w:styleId=\"kept\"/>");
    const QByteArray vbaData = "<?xml version=\"1.0\"?><wne:vbaSuppData "
                               "xmlns:wne=\"http://schemas.microsoft.com/office/word/2006/wordml\"/>";
    const auto macroDocument = [&](const QByteArray& mainRelationships) {
        return withParts({{u("[Content_Types].xml"), macroContentTypes()},
                          {u("word/_rels/document.xml.rels"), relationshipsPart(mainRelationships)},
                          {u("word/styles.xml"), styles},
                          {u("word/vbaProject.bin"), QByteArray("\xD0\xCF\x11\xE0 not really", 15)},
                          {u("word/_rels/vbaProject.bin.rels"),
                           relationshipsPart(relationship("rId1", "wordVbaData", "vbaData.xml", office))},
                          {u("word/vbaData.xml"), vbaData}});
    };

    // A plain macro-enabled document: the project, its data and their relationships go.
    Cleaned plain = clean(macroDocument(relationship("rId1", "styles", "styles.xml") +
                                        relationship("rId2", "vbaProject", "vbaProject.bin", office)));
    EXPECT_EQ(plain.problems, QStringList());
    for (const char* gone : {"word/vbaProject.bin", "word/_rels/vbaProject.bin.rels", "word/vbaData.xml"}) {
        EXPECT_FALSE(plain.saved.find(u(gone))) << gone;
    }
    const QByteArray types = plain.saved.find(u("[Content_Types].xml"))->data;
    EXPECT_FALSE(types.contains("vbaProject")) << types.toStdString();
    EXPECT_TRUE(types.contains("wordprocessingml.document.main+xml"));
    EXPECT_FALSE(plain.saved.find(u("word/_rels/document.xml.rels"))->data.contains("vbaProject"));

    // Macro relationships crafted to point at parts the document needs drop the relationship alone.
    Cleaned crafted = clean(macroDocument(relationship("rId1", "styles", "styles.xml") +
                                          relationship("rId2", "vbaProject", "styles.xml", office) +
                                          relationship("rId3", "vbaProject", "document.xml", office) +
                                          relationship("rId4", "vbaProject", "../[Content_Types].xml", office) +
                                          relationship("rId5", "vbaProject", "/_rels/.rels", office) +
                                          relationship("rId6", "keyMapCustomizations", "styles.xml", office)));
    EXPECT_EQ(crafted.problems, QStringList());
    for (const char* kept : {"word/styles.xml", "word/document.xml", "[Content_Types].xml", "_rels/.rels"}) {
        EXPECT_TRUE(crafted.saved.find(u(kept))) << kept;
    }
    EXPECT_EQ(crafted.saved.find(u("word/styles.xml"))->data, styles);
    const QByteArray rels = crafted.saved.find(u("word/_rels/document.xml.rels"))->data;
    EXPECT_TRUE(rels.contains("rId1"));
    EXPECT_FALSE(rels.contains("rId2")) << rels.toStdString();
    EXPECT_FALSE(rels.contains("keyMapCustomizations"));
}

TEST_F(DocxIntake, EntriesOutsideThePackageAndRepeatedNamesAreLeftOutAndSaid)
{
    // The first of a name is the styles part libzip wrote earlier, so it goes in first here.
    QByteArray bytes = qt::docxBytes(u("<w:p><w:r><w:t>kept</w:t></w:r></w:p>"),
                                     {{u("word/styles.xml"), stylesPart("<w:style w:styleId=\"first\"/>")},
                                      {u("aa/aa/evil.xml"), "<evil/>"},
                                      {u("word/aa/aa/up.xml"), "<up/>"},
                                      {u("aetc/x.xml"), "<x/>"},
                                      {u("word/stylez.xml"), stylesPart("<w:style w:styleId=\"second\"/>")},
                                      {u("word/qTyles.xml"), stylesPart("<w:style w:styleId=\"third\"/>")}});
    bytes = renamed(bytes, "aa/aa/evil.xml", "../../evil.xml");
    bytes = renamed(bytes, "word/aa/aa/up.xml", "word/../../up.xml");
    bytes = renamed(bytes, "aetc/x.xml", "/etc/x.xml");
    bytes = renamed(bytes, "word/stylez.xml", "word/styles.xml");
    bytes = renamed(bytes, "word/qTyles.xml", "word/sTyles.xml");
    const Cleaned cleaned = clean(bytes);
    EXPECT_EQ(cleaned.linesText, u("kept\r"));
    EXPECT_EQ(cleaned.problems, QStringList());
    for (const auto& entry : cleaned.saved.entries()) {
        EXPECT_FALSE(entry.name.contains(u(".."))) << entry.name.toStdString();
        EXPECT_FALSE(entry.name.startsWith(u("/")));
    }
    EXPECT_EQ(cleaned.saved.entries().size(), 4u); // types, package relationships, main part, styles
    EXPECT_TRUE(cleaned.saved.find(u("word/styles.xml"))->data.contains("first"));
    const QString said = cleaned.repairs.join(u("\n"));
    for (const char* entry : {"../../evil.xml", "word/../../up.xml", "/etc/x.xml"}) {
        EXPECT_TRUE(said.contains(u("the entry %1 names a place outside the package").arg(u(entry))))
            << said.toStdString();
    }
    EXPECT_TRUE(said.contains(u("holds the entry word/styles.xml twice")));
    EXPECT_TRUE(said.contains(u("the entries word/styles.xml and word/sTyles.xml, whose names differ only in letter "
                                "case")));
}

TEST_F(DocxIntake, PackagesThatCannotBeMadeSoundAreRefused)
{
    const QString climbing =
        refusal(withParts({{u("word/_rels/document.xml.rels"),
                            relationshipsPart(relationship("rId9", "image", "../../../etc/passwd"))}}));
    EXPECT_EQ(climbing, u("the relationship rId9 in word/_rels/document.xml.rels points outside the package "
                          "(../../../etc/passwd)"));

    docx::Package package = docx::Package::fromZip(u("x"), qt::docxBytes(u("<w:p/>")));
    package.remove(u("[Content_Types].xml"));
    EXPECT_EQ(refusal(package.toZip(u("x"))),
              u("the package has no [Content_Types].xml, so it is not a sound Word package"));
}

TEST_F(DocxIntake, FailedReadsSayWhatHappened)
{
    // Reading this file fails with EIO at its first byte, though it says it is empty.
    try {
        m_application->documents().open(u("/proc/self/mem"));
        FAIL() << "/proc/self/mem opened";
    } catch (const engine::HostError& error) {
        EXPECT_EQ(error.cause(), u("the file cannot be read (Input/output error)"));
    }

    // Names that are not UTF-8 are opened by their bytes and shown with the bytes escaped.
    const QByteArray folder = QFile::encodeName(m_folder.path());
    const QByteArray good = qt::docxBytes(u("<w:p><w:r><w:t>latin</w:t></w:r></w:p>"));
    for (const auto& [name, bytes] :
         {std::pair{QByteArray("/caf\xE9.docx"), good},
          std::pair{QByteArray("/broken\xFF\xFE.docx"), QByteArray("PK\x03\x04 nothing")}}) {
        const int fd = ::open((folder + name).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, bytes.constData(), size_t(bytes.size())), bytes.size());
        ::close(fd);
    }
    auto document = m_application->documents().open(engine::FileName::fromNative(folder + "/caf\xE9.docx"));
    EXPECT_EQ(document->range()->text(), u("latin\r"));
    document->close();
    try {
        m_application->documents().open(engine::FileName::fromNative(folder + "/broken\xFF\xFE.docx"));
        FAIL() << "a broken file opened";
    } catch (const engine::HostError& error) {
        EXPECT_TRUE(error.message().contains(u("broken\\xFF\\xFE.docx: the file is not a valid zip package")))
            << error.message().toStdString();
    }
    // QTemporaryDir cannot name these to remove them.
    ::unlink((folder + "/caf\xE9.docx").constData());
    ::unlink((folder + "/broken\xFF\xFE.docx").constData());

    // Damaged compressed data is named by its part, in words rather than libzip's.
    QByteArray damaged =
        qt::docxBytes(u("<w:p><w:r><w:t>") + u("many words ").repeated(4000) + u("</w:t></w:r></w:p>"));
    const qsizetype header = damaged.indexOf("word/document.xml") - 30;
    ASSERT_TRUE(damaged.mid(header, 4) == "PK\x03\x04");
    const qsizetype data = header + 30 + 17 + quint8(damaged[header + 28]) + 256 * quint8(damaged[header + 29]);
    for (qsizetype i = data + 40; i < data + 80; ++i) {
        damaged[i] = char(damaged[i] ^ 0x5A);
    }
    const QString cause = refusal(damaged);
    EXPECT_TRUE(cause == u("the compressed data of word/document.xml is damaged") ||
                cause == u("the package is damaged (the CRC check of word/document.xml failed)"))
        << cause.toStdString();

    // A damaged disk number in the end record reads as a damaged package, not a multi-disk one.
    QByteArray multidisk = qt::docxBytes(u("<w:p/>"));
    const qsizetype end = multidisk.lastIndexOf("PK\x05\x06");
    multidisk[end + 4] = '\x01';
    EXPECT_EQ(refusal(multidisk), u("the file is not a valid zip package (it may be truncated or damaged)"));
}

/// A small OpenDocument text as LibreOffice 6 and OpenOffice write it: with an empty accelerator
/// configuration entry, which is no XML at all.
QByteArray olderOpenDocument(const QStringList& paragraphs)
{
    QByteArray body;
    for (const QString& paragraph : paragraphs) {
        body += "<text:p>" + paragraph.toUtf8() + "</text:p>";
    }
    docx::Package package;
    package.setData(u("mimetype"), "application/vnd.oasis.opendocument.text");
    package.setData(u("content.xml"),
                    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content "
                    "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                    "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" office:version=\"1.2\">"
                    "<office:body><office:text>" +
                        body + "</office:text></office:body></office:document-content>");
    package.setData(u("Configurations2/accelerator/current.xml"), QByteArray());
    package.setData(u("META-INF/manifest.xml"),
                    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><manifest:manifest "
                    "xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" manifest:version=\"1.2\">"
                    "<manifest:file-entry manifest:full-path=\"/\" "
                    "manifest:media-type=\"application/vnd.oasis.opendocument.text\"/>"
                    "<manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\"/>"
                    "<manifest:file-entry manifest:full-path=\"Configurations2/accelerator/current.xml\" "
                    "manifest:media-type=\"\"/></manifest:manifest>");
    return package.toZip(u("x"));
}

TEST_F(DocxIntake, OlderOpenDocumentFilesGoToTheConversionAsTheyAre)
{
    if (docx::OfficeConverter::executable().isEmpty()) {
        GTEST_SKIP() << "LibreOffice (soffice) is not installed; the conversion is not tested";
    }
    const QString source = write(u("older.odt"), olderOpenDocument({u("alpha"), u("beta"), u("alpha"), u("gamma")}));
    const engine::CleanResult cleaned = engine::makeCleanCopy(*m_application, source, engine::RemovalMode::Lines);
    EXPECT_EQ(cleaned.removed, 1);
    EXPECT_EQ(cleaned.copy->range()->text(), u("alpha\rbeta\rgamma\r"));
    cleaned.copy->saveAs(path(u("older.docx")));
    EXPECT_EQ(qt::packageProblems(path(u("older.docx"))), QStringList());
    cleaned.copy->close();

    // Other OpenDocument kinds are told apart rather than converted.
    docx::Package sheet = docx::Package::fromZip(u("x"), olderOpenDocument({}));
    sheet.setData(u("mimetype"), "application/vnd.oasis.opendocument.spreadsheet");
    EXPECT_EQ(refusal(sheet.toZip(u("x")), u("sheet.ods")),
              u("this is an OpenDocument file of another kind (application/vnd.oasis.opendocument.spreadsheet), not a "
                "text document"));
}

} // namespace

namespace {

/// A computer with as much memory left as it is told.
class FixedMemory : public platform::MemoryBudget
{
  public:
    explicit FixedMemory(qint64 bytes)
        : m_bytes(bytes)
    {
    }
    qint64 available() const override
    {
        return m_bytes;
    }

  private:
    qint64 m_bytes;
};

TEST(DocxMemory, AFileThatWouldNotFitIsRefusedBeforeItIsOpened)
{
    QTemporaryDir folder;
    QString paragraphs;
    for (int i = 0; i < 4000; ++i) {
        paragraphs +=
            u("<w:p><w:r><w:t>paragraph %1 of a document too large for this computer</w:t></w:r></w:p>").arg(i);
    }
    const QString docx = qt::writeFile(folder.path(), u("big.docx"), qt::docxBytes(paragraphs));
    const QString text = qt::writeFile(folder.path(), u("big.txt"), QByteArray(200000, 'x'));
    const FixedMemory little(1 << 20);
    for (const QString& path : {docx, text}) {
        docx::DocxDocuments documents(nullptr, nullptr, little);
        try {
            documents.open(path);
            ADD_FAILURE() << "opened " << path.toStdString();
        } catch (const engine::HostError& error) {
            EXPECT_EQ(error.file(), path);
            EXPECT_TRUE(error.cause().contains(u("MB of memory, and only 1 MB are free")))
                << error.cause().toStdString();
        }
        EXPECT_EQ(documents.count(), 0);
    }
    // Enough memory, or a figure the system cannot give: it opens.
    for (const qint64 bytes : {qint64(1) << 32, qint64(-1)}) {
        const FixedMemory memory(bytes);
        docx::DocxDocuments documents(nullptr, nullptr, memory);
        EXPECT_NO_THROW(documents.open(docx));
    }
    EXPECT_GT(platform::systemMemory().available(), 0);
}

} // namespace
