// SPDX-License-Identifier: GPL-3.0-or-later
// Packages in and out of the in-process host: what it refuses and why, what it saves, and the
// formats it reaches through LibreOffice.
#include "DocxFixture.h"

#include "docx/Deflate.h"
#include "docx/DeflateStream.h"
#include "docx/DocxHostProvider.h"
#include "docx/OfficeConverter.h"
#include "docx/Package.h"
#include "engine/HostError.h"
#include "platform/ProcessorShare.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <zlib.h>

#include <atomic>
#include <random>
#include <thread>
#include <vector>

using namespace quillsift;
namespace qt = quillsift::testing;
using qt::u;

namespace {

const char* const stylesPart = "<?xml version=\"1.0\"?><w:styles "
                               "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"/>";

class DocxPackage : public ::testing::Test
{
  protected:
    QString path(const QString& name) const
    {
        return QDir(m_folder.path()).filePath(name);
    }
    QString write(const QString& name, const QByteArray& bytes)
    {
        return qt::writeFile(m_folder.path(), name, bytes);
    }
    /// The cause of the error opening bytes raises, or an empty string when it opens.
    QString refusal(const QByteArray& bytes, const QString& name = u("bad.docx"))
    {
        const QString file = write(name, bytes);
        try {
            m_application->documents().open(file)->close();
        } catch (const engine::HostError& error) {
            EXPECT_EQ(error.file(), file);
            EXPECT_TRUE(error.message().startsWith(file + u(": ")));
            return error.cause();
        }
        return {};
    }
    docx::Package read(const QString& file)
    {
        QFile in(file);
        in.open(QIODevice::ReadOnly);
        return docx::Package::fromZip(file, in.readAll());
    }

    QTemporaryDir m_folder;
    docx::DocxHostProvider m_provider;
    std::shared_ptr<engine::Application> m_application = m_provider.newApplication();
};

TEST_F(DocxPackage, RoundTripKeepsEveryPartAndTheSourceUnchanged)
{
    const QByteArray rels =
        "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
        "Target=\"styles.xml\"/><Relationship Id=\"rId2\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/image\" "
        "Target=\"media/image1.png\"/><Relationship Id=\"rId3\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/hyperlink\" "
        "Target=\"https://example.org/\" TargetMode=\"External\"/></Relationships>";
    const QString source = write(
        u("source.docx"),
        qt::docxBytes(u("<w:p><w:r><w:t>keep</w:t></w:r></w:p><w:p><w:hyperlink r:id=\"rId3\"><w:r><w:t>gone</w:t>"
                        "</w:r></w:hyperlink><w:r><w:drawing/></w:r></w:p>"
                        "<w:tbl><w:tr><w:tc><w:p><w:r><w:t>cell</w:t></w:r></w:p></w:tc></w:tr></w:tbl><w:p/>"),
                      {{u("word/_rels/document.xml.rels"), rels},
                       {u("word/styles.xml"), stylesPart},
                       {u("word/media/image1.png"), QByteArray("\x89PNG\r\n\x1a\n", 8)}}));
    const QByteArray before = qt::checksum(source);
    auto document = m_application->documents().open(source);
    document->range()->paragraph(2)->deleteContent();
    document->range()->paragraph(2)->deleteContent(); // the cell's only paragraph: emptied
    EXPECT_FALSE(document->saved());
    const QString saved = path(u("saved.docx"));
    document->saveAs(saved);
    EXPECT_TRUE(document->saved());
    EXPECT_EQ(qt::checksum(source), before);

    EXPECT_EQ(qt::packageProblems(saved), QStringList());
    const docx::Package out = read(saved);
    const docx::Package in = read(source);
    for (const auto& entry : in.entries()) {
        ASSERT_TRUE(out.find(entry.name)) << entry.name.toStdString();
        if (entry.name != u("word/document.xml")) {
            EXPECT_EQ(out.find(entry.name)->data, entry.data) << entry.name.toStdString();
        }
    }
    auto reopened = m_application->documents().open(saved);
    EXPECT_EQ(reopened->range()->text(), u("keep\r\r\a\r"));
}

TEST_F(DocxPackage, NeverWritesOverItsSource)
{
    const QString source = write(u("source.docx"), qt::docxBytes(u("<w:p/>")));
    const QByteArray before = qt::checksum(source);
    auto document = m_application->documents().open(source);
    EXPECT_THROW(document->saveAs(source), engine::HostError);
    auto copy = m_application->documents().add();
    copy->content()->setFormattedText(*document->content()->formattedText());
    EXPECT_THROW(copy->saveAs(source), engine::HostError);
    EXPECT_EQ(qt::checksum(source), before);
}

TEST_F(DocxPackage, MacroEnabledSourceSavedAsDocxLosesItsMacros)
{
    docx::Package package = docx::Package::fromZip(u("x"), qt::docxBytes(u("<w:p><w:r><w:t>m</w:t></w:r></w:p>")));
    package.setData(u("[Content_Types].xml"),
                    "<?xml version=\"1.0\"?><Types "
                    "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"><Default "
                    "Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                    "<Default Extension=\"xml\" ContentType=\"application/xml\"/><Default Extension=\"bin\" "
                    "ContentType=\"application/vnd.ms-office.vbaProject\"/><Override PartName=\"/word/document.xml\" "
                    "ContentType=\"application/vnd.ms-word.document.macroEnabled.main+xml\"/><Override "
                    "PartName=\"/word/vbaData.xml\" ContentType=\"application/vnd.ms-word.vbaData+xml\"/></Types>");
    package.setData(u("word/_rels/document.xml.rels"),
                    "<?xml version=\"1.0\"?><Relationships "
                    "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId1\" "
                    "Type=\"http://schemas.microsoft.com/office/2006/relationships/vbaProject\" "
                    "Target=\"vbaProject.bin\"/></Relationships>");
    package.setData(u("word/_rels/vbaProject.bin.rels"),
                    "<?xml version=\"1.0\"?><Relationships "
                    "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId1\" "
                    "Type=\"http://schemas.microsoft.com/office/2006/relationships/wordVbaData\" "
                    "Target=\"vbaData.xml\"/></Relationships>");
    package.setData(u("word/vbaProject.bin"), "macro");
    package.setData(u("word/vbaData.xml"), "<?xml version=\"1.0\"?><wne:vbaSuppData xmlns:wne=\"urn:x\"/>");
    auto document = m_application->documents().open(write(u("macro.docm"), package.toZip(u("x"))));

    const QString asDocm = path(u("kept.docm"));
    document->saveAs(asDocm);
    EXPECT_TRUE(read(asDocm).find(u("word/vbaProject.bin")));

    const QString asDocx = path(u("plain.docx"));
    document->saveAs(asDocx);
    const docx::Package out = read(asDocx);
    EXPECT_FALSE(out.find(u("word/vbaProject.bin")));
    EXPECT_FALSE(out.find(u("word/vbaData.xml")));
    const QByteArray types = out.find(u("[Content_Types].xml"))->data;
    EXPECT_TRUE(types.contains("wordprocessingml.document.main+xml"));
    EXPECT_FALSE(types.contains("macroEnabled"));
    EXPECT_FALSE(types.contains("vbaProject"));
    EXPECT_EQ(qt::packageProblems(asDocx), QStringList());
}

TEST_F(DocxPackage, PlainTextSavesBackAsText)
{
    auto document = m_application->documents().open(write(u("notes.txt"), "alpha\nbeta\nalpha\n"));
    document->range()->paragraph(3)->deleteContent();
    const QString saved = path(u("clean.txt"));
    document->saveAs(saved);
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("alpha\nbeta\n\n"));
    auto& host = dynamic_cast<docx::DocxDocument&>(*document);
    EXPECT_TRUE(host.isPlainText());
}

// A long text is written a piece at a time: a character outside the Basic Multilingual Plane
// that straddles two pieces is written whole.
TEST_F(DocxPackage, LongPlainTextSavesWhole)
{
    QByteArray line;
    for (int i = 0; i < 40000; ++i) {
        line += "\xF0\x9F\x98\x80"
                "a"; // U+1F600, two UTF-16 units, then a letter
    }
    auto document = m_application->documents().open(write(u("long.txt"), line + "\nend\n"));
    const QString saved = path(u("long-copy.txt"));
    document->saveAs(saved);
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll() == line + "\nend\n");
}

// Text that deflate finds matches in, near and far: words drawn from a vocabulary, each paragraph
// numbered so that no two are the same.
QByteArray varied(qsizetype size, quint32 seed)
{
    std::mt19937 random(seed);
    const char* const words[] = {"alpha ", "beta ", "gamma ", "delta ", "epsilon ", "zeta ", "eta ", "theta "};
    QByteArray text;
    text.reserve(size + 64);
    while (text.size() < size) {
        text += "<w:p><w:r><w:t>" + QByteArray::number(random()) + ' ';
        for (int k = 0; k < 8; ++k) {
            text += words[random() % 8];
        }
        text += "</w:t></w:r></w:p>";
    }
    text.truncate(size);
    return text;
}

QByteArray inflateRaw(const QByteArray& deflated, qsizetype size)
{
    z_stream stream{};
    if (inflateInit2(&stream, -15) != Z_OK) {
        return {};
    }
    QByteArray out(size + 1, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(deflated.constData()));
    stream.avail_in = uInt(deflated.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    const int status = inflate(&stream, Z_FINISH);
    out.truncate(qsizetype(stream.total_out));
    inflateEnd(&stream);
    return status == Z_STREAM_END && stream.avail_in == 0 ? out : QByteArray("(not one whole stream)");
}

TEST(Deflate, PiecesMakeOneStreamOfTheWholeWithItsCrc)
{
    std::mt19937 random(7);
    QByteArray noise(300000, '\0');
    for (char& c : noise) {
        c = char(random());
    }
    const QByteArray samples[] = {QByteArray(),     QByteArray("x"),   varied(1000, 1),
                                  varied(70000, 2), varied(400000, 3), noise};
    for (const QByteArray& data : samples) {
        const auto whole = quint32(crc32_z(crc32_z(0, nullptr, 0), reinterpret_cast<const Bytef*>(data.constData()),
                                           std::size_t(data.size())));
        for (std::size_t pieces : {1, 2, 3, 5}) {
            SCOPED_TRACE(::testing::Message() << data.size() << " bytes in " << pieces << " pieces");
            // On this thread alone, and with helpers: the bytes are the same however many there are.
            platform::ProcessorShare plenty(8);
            const docx::Deflated deflated = docx::deflateInPieces(data, 6, pieces, &plenty);
            EXPECT_EQ(inflateRaw(deflated.bytes, data.size()), data);
            EXPECT_EQ(deflated.crc, whole);
            EXPECT_EQ(docx::deflateInPieces(data, 6, pieces).bytes, deflated.bytes);
        }
    }
    // Each piece starts primed with the text before it, so cutting costs next to nothing.
    const QByteArray text = varied(400000, 3);
    const qsizetype one = docx::deflateInPieces(text, 6, 1).bytes.size();
    EXPECT_LT(docx::deflateInPieces(text, 6, 4).bytes.size(), one + one / 100);
}

// Bytes given a little at a time make the same stream as given at once, cut where the pieces
// end: the whole input back, its CRC and size, and the same bytes with a helper or without.
TEST(Deflate, AStreamWrittenInStepsIsOneStreamOfTheWhole)
{
    constexpr qsizetype piece = 40000;
    const QByteArray samples[] = {QByteArray(), QByteArray("x"), varied(piece, 4), varied(3 * piece, 5),
                                  varied(400000, 6)};
    for (const QByteArray& data : samples) {
        SCOPED_TRACE(::testing::Message() << data.size() << " bytes");
        std::vector<QByteArray> made;
        for (int helpers : {0, 1}) {
            platform::ProcessorShare share(helpers);
            docx::DeflateStream stream(6, piece, &share);
            // Steps of every size, across the pieces' ends.
            for (qsizetype at = 0, step = 1; at < data.size(); at += step, step = step * 3 % 70001 + 1) {
                stream.write(data.constData() + at, std::min(step, data.size() - at));
            }
            const docx::Deflated deflated = stream.finish();
            EXPECT_EQ(docx::inflated(deflated), data);
            EXPECT_EQ(deflated.size, data.size());
            EXPECT_EQ(deflated.crc, docx::deflateInPieces(data, 6, 1).crc);
            made.push_back(deflated.bytes);
        }
        EXPECT_EQ(made[0], made[1]);
    }
}

TEST(ProcessorShare, LendsOnlyWhatIsFreeAndTakesItBack)
{
    platform::ProcessorShare share(3);
    {
        const platform::ProcessorShare::Lease worker(&share, 1);
        const platform::ProcessorShare::Lease helpers(&share, 5);
        EXPECT_EQ(worker.count(), 1);
        EXPECT_EQ(helpers.count(), 2);
        const platform::ProcessorShare::Lease none(&share, 1);
        EXPECT_EQ(none.count(), 0);
    }
    EXPECT_EQ(share.take(4), 3);
    share.giveBack(3);
    const platform::ProcessorShare::Lease absent(nullptr, 2);
    EXPECT_EQ(absent.count(), 0);
    // A share taken from on several threads at once never lends more than it has.
    std::atomic<int> busiest{0};
    std::atomic<int> busy{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&] {
            for (int round = 0; round < 2000; ++round) {
                const platform::ProcessorShare::Lease lease(&share, 2);
                const int now = busy += lease.count();
                busiest = std::max(busiest.load(), now);
                busy -= lease.count();
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_LE(busiest.load(), 3);
    EXPECT_EQ(share.take(10), 3);
}

TEST_F(DocxPackage, LargePartsSaveWholeAndReadBack)
{
    // Parts large enough to be deflated on several threads where the machine has them: text, and
    // noise that deflate cannot shrink.
    docx::Package package = docx::Package::fromZip(u("x"), qt::docxBytes(u("<w:p/>")));
    std::mt19937 random(11);
    QByteArray noise(9 << 20, '\0');
    for (char& c : noise) {
        c = char(random());
    }
    const QByteArray text = varied(9 << 20, 4);
    package.setData(u("word/media/noise.bin"), noise);
    package.setData(u("word/media/text.bin"), text);
    const QByteArray zip = package.toZip(u("x"));
    const QString file = write(u("large.docx"), zip);
    const docx::Package back = read(file);
    ASSERT_TRUE(back.find(u("word/media/noise.bin")));
    ASSERT_TRUE(back.find(u("word/media/text.bin")));
    EXPECT_TRUE(back.find(u("word/media/noise.bin"))->data == noise);
    EXPECT_TRUE(back.find(u("word/media/text.bin"))->data == text);
}

struct Refusal {
    const char* name;
    QByteArray (*bytes)();
    const char* cause;
};

QByteArray zipOfManyParts()
{
    docx::Package package = docx::Package::fromZip(u("x"), qt::docxBytes(u("<w:p/>")));
    for (int i = 0; i < 10001; ++i) {
        package.setData(u("extra/%1.bin").arg(i), "x");
    }
    return package.toZip(u("x"));
}

QByteArray zipBomb()
{
    return qt::docxBytes(u("<w:p/>"), {{u("word/media/zeros.bin"), QByteArray(32 << 20, '\0')}});
}

QByteArray zipThatClaimsTwoGiB()
{
    QByteArray bytes = qt::docxBytes(u("<w:p/>"));
    const qsizetype central = bytes.indexOf("PK\x01\x02");
    // The uncompressed size of the first entry in the central directory.
    bytes[central + 24] = '\xff';
    bytes[central + 25] = '\xff';
    bytes[central + 26] = '\xff';
    bytes[central + 27] = '\x7f';
    return bytes;
}

QByteArray deepXml()
{
    QString body = u("<w:p><w:r><w:t>deep</w:t></w:r></w:p>");
    for (int i = 0; i < 1001; ++i) {
        body = u("<w:customXml>") + body + u("</w:customXml>");
    }
    return qt::docxBytes(body);
}

QByteArray entityDeclaration()
{
    docx::Package package = docx::Package::fromZip(u("x"), qt::docxBytes(u("<w:p/>")));
    package.setData(u("word/document.xml"),
                    "<?xml version=\"1.0\"?><!DOCTYPE d [<!ENTITY e \"boom\">]><w:document "
                    "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body><w:p><w:r>"
                    "<w:t>&e;</w:t></w:r></w:p></w:body></w:document>");
    return package.toZip(u("x"));
}

QByteArray malformedXml()
{
    docx::Package package = docx::Package::fromZip(u("x"), qt::docxBytes(u("<w:p/>")));
    package.setData(u("word/document.xml"), "<w:document><w:body><w:p></w:body>");
    return package.toZip(u("x"));
}

QByteArray noMainPart()
{
    docx::Package package = docx::Package::fromZip(u("x"), qt::docxBytes(u("<w:p/>")));
    package.remove(u("word/document.xml"));
    return package.toZip(u("x"));
}

QByteArray truncatedZip()
{
    return qt::docxBytes(u("<w:p/>")).left(200);
}

QByteArray encryptedDocument()
{
    QByteArray bytes("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    bytes.append(QByteArray(504, '\0'));
    bytes.append(QByteArray::fromRawData("E\0n\0c\0r\0y\0p\0t\0i\0o\0n\0I\0n\0f\0o\0", 28));
    return bytes;
}

QByteArray picture()
{
    return QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
}

QByteArray nothing()
{
    return {};
}

const Refusal refusals[] = {
    {"TooManyParts", zipOfManyParts, "more than 10000 parts"},
    {"ExpandsTooMuch", zipBomb, "expands more than 200-fold"},
    {"DeclaresMoreThanOneGiB", zipThatClaimsTwoGiB, "more than 1 GiB"},
    {"NestedTooDeep", deepXml, "nested more than 1000 elements deep"},
    {"DeclaresEntities", entityDeclaration, "document type or entity declaration"},
    {"MalformedXml", malformedXml, "not well-formed XML"},
    {"NoMainPart", noMainPart, "main document part word/document.xml is missing"},
    {"Truncated", truncatedZip, "not a valid zip package"},
    {"Encrypted", encryptedDocument, "encrypted or password-protected"},
    {"NotADocument", picture, "not a Word document"},
    {"Empty", nothing, "the file is empty"},
};

class RefusedPackage : public DocxPackage, public ::testing::WithParamInterface<Refusal>
{
};

TEST_P(RefusedPackage, GivesAClearError)
{
    const QString cause = refusal(GetParam().bytes());
    EXPECT_TRUE(cause.contains(u(GetParam().cause))) << cause.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Refusals, RefusedPackage, ::testing::ValuesIn(refusals),
                         [](const ::testing::TestParamInfo<Refusal>& refused) {
                             return std::string(refused.param.name);
                         });

TEST_F(DocxPackage, UnreadableFilesGiveAClearError)
{
    EXPECT_TRUE(refusal("caf\xe9 in Latin-1", u("latin.txt")).contains(u("neither UTF-8")));
    try {
        m_application->documents().open(path(u("missing.docx")));
        FAIL() << "a missing file opened";
    } catch (const engine::HostError& error) {
        EXPECT_TRUE(error.cause().contains(u("cannot be read")));
    }
    EXPECT_THROW(m_application->documents().open(m_folder.path()), engine::HostError);
    EXPECT_EQ(m_application->documents().count(), 0);
}

TEST_F(DocxPackage, ConvertsRtfThroughLibreOffice)
{
    if (docx::OfficeConverter::executable().isEmpty()) {
        GTEST_SKIP() << "LibreOffice (soffice) is not installed; the conversion is not tested";
    }
    const QString source = write(u("letter.rtf"), "{\\rtf1\\ansi Hello\\par World\\par}");
    const QByteArray before = qt::checksum(source);
    auto document = m_application->documents().open(source);
    const QString text = document->range()->text();
    EXPECT_TRUE(text.contains(u("Hello\r"))) << text.toStdString();
    EXPECT_TRUE(text.contains(u("World\r")));
    EXPECT_EQ(document->fullName(), source);
    EXPECT_EQ(qt::checksum(source), before);

    // OpenDocument text, made from the same letter by LibreOffice itself.
    QProcess convert;
    convert.start(docx::OfficeConverter::executable(),
                  {u("-env:UserInstallation=file://") + path(u("profile")), u("--headless"), u("--convert-to"),
                   u("odt"), u("--outdir"), m_folder.path(), source});
    ASSERT_TRUE(convert.waitForFinished(180000));
    auto odt = m_application->documents().open(path(u("letter.odt")));
    EXPECT_TRUE(odt->range()->text().contains(u("World\r")));
}

TEST_F(DocxPackage, SaysLibreOfficeIsNeededWhenItIsAbsent)
{
    const QByteArray previous = qgetenv("QUILLSIFT_SOFFICE");
    const bool wasSet = qEnvironmentVariableIsSet("QUILLSIFT_SOFFICE");
    qputenv("QUILLSIFT_SOFFICE", path(u("no-such-soffice")).toUtf8());
    const QString cause = refusal("{\\rtf1\\ansi Hello\\par}", u("letter.rtf"));
    const QString doc = refusal(encryptedDocument().left(512), u("old.doc"));
    wasSet ? qputenv("QUILLSIFT_SOFFICE", previous) : qunsetenv("QUILLSIFT_SOFFICE");
    EXPECT_TRUE(cause.contains(u("LibreOffice is needed to open RTF documents"))) << cause.toStdString();
    EXPECT_TRUE(doc.contains(u("LibreOffice is needed to open Word 97-2003 documents"))) << doc.toStdString();
}

TEST_F(DocxPackage, FuzzRegressionsOpenOrAreRefused)
{
    QDirIterator files(QStringLiteral(QUILLSIFT_FUZZ_REGRESSIONS), QDir::Files);
    while (files.hasNext()) {
        const QString file = files.next();
        try {
            auto document = m_application->documents().open(file);
            qt::paragraphTexts(*document);
            qt::wordTexts(*document);
            document->range()->deleteContent();
            document->close();
        } catch (const engine::HostError& error) {
            EXPECT_FALSE(error.cause().isEmpty()) << file.toStdString();
        }
    }
}

} // namespace
