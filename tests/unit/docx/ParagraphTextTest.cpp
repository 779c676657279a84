// SPDX-License-Identifier: GPL-3.0-or-later
// A paragraph's text and word units (one piece, or blocks when long) and its pieces, against plain
// containers.
#include "DocxFixture.h"

#include "docx/DocxHostProvider.h"
#include "docx/Package.h"
#include "docx/ParagraphText.h"
#include "docx/PieceList.h"
#include "docx/UnitEnds.h"
#include "docx/WordPositions.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

using namespace quillsift;
namespace qt = quillsift::testing;
using qt::u;

namespace {

TEST(ParagraphText, EditsAnywhereReadLikeAPlainString)
{
    // One string, and text long enough to be kept in blocks, which inserts make split; a string of
    // characters up to U+00FF (kept a byte a character) and one past it, into which now and then
    // such a character comes.
    for (const qsizetype padding : {qsizetype(200), 6 * docx::ParagraphText::maxBlockLength})
        for (const bool wide : {false, true}) {
            std::mt19937 random(7);
            QString model =
                u("The quick brown fox jumps over the lazy dog; caf\u00e9 ") + QString(padding, QChar(u'x'));
            if (wide) {
                model.prepend(u("\u017e"));
            }
            docx::ParagraphText text(model);
            for (int step = 0; step < 3000; ++step) {
                const auto position = qsizetype(random() % quint32(model.size() + 1));
                if (random() % 3 == 0 || model.size() < 10) {
                    const char16_t letter = wide && step % 7 == 0 ? u'\u4e2d' : char16_t(u'a' + step % 26);
                    const QString inserted = QString(int(random() % (step % 50 == 0 ? 3000 : 40)), QChar(letter));
                    model.insert(position, inserted);
                    text.insert(position, inserted);
                } else {
                    const auto length = qsizetype(random() % (step % 40 == 0 ? 2500 : 12));
                    model.remove(position, length);
                    text.remove(position, length);
                }
                ASSERT_EQ(text.size(), model.size()) << "step " << step;
                const auto from = qsizetype(random() % quint32(model.size() + 1));
                const auto length = qsizetype(random() % (step % 10 == 0 ? 3000 : 30));
                ASSERT_EQ(text.mid(from, length), model.mid(from, length)) << "step " << step;
                QString appended = u("<");
                text.appendTo(appended, from, length);
                ASSERT_EQ(appended, u("<") + model.mid(from, length)) << "step " << step;
                if (!model.isEmpty()) {
                    const auto at = qsizetype(random() % quint32(model.size()));
                    ASSERT_EQ(text.at(at), model.at(at));
                    ASSERT_EQ(text.at(model.size() - 1), model.back());
                }
            }
            EXPECT_EQ(text.toString(), model);
            EXPECT_EQ(text.mid(text.size(), 5), QString());
            EXPECT_EQ(text.mid(text.size() - 2, 100), model.right(2));
        }
}

TEST(UnitEnds, SplicesMoveTheEndsAfterThemByTheChange)
{
    // One vector, and units enough to be kept in blocks, which splices grow and empty.
    for (const int units : {300, int(4 * docx::UnitEnds::maxBlockUnits)}) {
        std::mt19937 random(11);
        std::vector<quint32> model;
        qint64 length = 0;
        for (int i = 0; i < units; ++i) {
            length += 1 + random() % 9;
            model.push_back(quint32(length));
        }
        length += random() % 3; // text after the last unit's end
        docx::UnitEnds ends(model, length);
        for (int step = 0; step < 3000; ++step) {
            // Replace the units [first, last) by new ones, as re-segmenting a window after an edit
            // does; now and then a long stretch goes, or many units come in.
            const std::size_t first = random() % (model.size() + 1);
            const std::size_t span = step % 97 == 0 ? 1200 : 5;
            const std::size_t last = std::min(model.size(), first + random() % span);
            const qint64 left = first > 0 ? model[first - 1] : 0;
            const qint64 oldRight = last > 0 && last > first ? model[last - 1] : left;
            const qint64 newRight = left + qint64(random() % (step % 89 == 0 ? 9000 : 20));
            const qint64 delta = newRight - oldRight;
            if (length + delta < 1) {
                continue;
            }
            std::vector<quint32> window;
            for (qint64 end = left + 1 + qint64(random() % 4); end <= newRight; end += 1 + qint64(random() % 4)) {
                window.push_back(quint32(end));
            }
            if (window.empty() || window.back() != quint32(newRight)) {
                if (newRight > left) {
                    window.push_back(quint32(newRight));
                }
            }
            std::vector<quint32> next(model.begin(), model.begin() + std::ptrdiff_t(first));
            next.insert(next.end(), window.begin(), window.end());
            for (std::size_t i = last; i < model.size(); ++i) {
                next.push_back(quint32(qint64(model[i]) + delta));
            }
            model = std::move(next);
            length += delta;
            ends.splice(first, last, window, length);
            ASSERT_EQ(ends.size(), model.size()) << "step " << step;
            if (step % 50 == 0 || units < 1000) {
                const std::vector<quint32> read(ends.begin(), ends.end());
                ASSERT_EQ(read, model) << "step " << step;
            }
            // Offsets at random, and each with the next few, as a walk asks for them.
            const auto around = qint64(random() % quint32(length + 2)) - 1;
            for (int probe = 0; probe < 8; ++probe) {
                const auto offset = probe < 4 ? around + probe : qint64(random() % quint32(length + 2)) - 1;
                const auto expected = std::upper_bound(model.begin(), model.end(), offset,
                                                       [](qint64 value, quint32 end) { return value < end; }) -
                                      model.begin();
                ASSERT_EQ(qint64(ends.upperBound(offset)), qint64(expected)) << "step " << step << " at " << offset;
                ASSERT_EQ(ends.endsAt(offset),
                          std::binary_search(model.begin(), model.end(), quint32(offset)) && offset >= 0)
                    << "step " << step << " at " << offset;
            }
            if (!model.empty()) {
                const std::size_t index = random() % model.size();
                ASSERT_EQ(ends[index], model[index]) << "step " << step;
            }
        }
    }
}

TEST(SurvivingCharacters, PositionsThenAndNowConvertAfterRemovals)
{
    std::mt19937 random(11);
    // One object for every length: a reset starts it again, over the memory the last text left;
    // a text of at most 64 characters keeps its bits in one word, a longer one in blocks.
    docx::SurvivingCharacters characters(0);
    for (const qint64 length : {1000, 1, 63, 64, 17, 0, 65, 1000}) {
        characters.reset(length);
        std::vector<qint64> model(static_cast<std::size_t>(length)); // the original positions still there
        for (qint64 i = 0; i < length; ++i) {
            model[std::size_t(i)] = i;
            // Nothing removed yet: then and now are the same.
            ASSERT_TRUE(characters.survives(i));
            ASSERT_EQ(characters.original(i), i);
            ASSERT_EQ(characters.current(i), i);
        }
        ASSERT_EQ(characters.original(length), length);
        while (!model.empty()) {
            const auto from = qint64(random() % model.size());
            const qint64 to = std::min<qint64>(qint64(model.size()), from + 1 + qint64(random() % 90));
            characters.remove(from, to);
            model.erase(model.begin() + from, model.begin() + to);
            for (std::size_t now = 0; now < model.size(); ++now) {
                ASSERT_EQ(characters.original(qint64(now)), model[now]) << length;
                ASSERT_TRUE(characters.survives(model[now]));
                ASSERT_EQ(characters.current(model[now]), qint64(now));
            }
            ASSERT_EQ(characters.original(qint64(model.size())), length);
            ASSERT_EQ(characters.current(length), qint64(model.size()));
        }
        for (qint64 i = 0; i < length; ++i) {
            ASSERT_FALSE(characters.survives(i));
        }
    }
}

TEST(PieceList, DeletionsShortenTouchedPiecesAndMoveTheRest)
{
    // One vector, and pieces enough to be kept in blocks; now and then a deletion spans many
    // blocks, and text goes into a piece.
    for (const int count : {200, int(12 * docx::PieceList::maxBlockPieces)}) {
        std::mt19937 random(5);
        std::vector<docx::Piece> model;
        docx::PieceList pieces;
        qint64 length = 0;
        for (int i = 0; i < count; ++i) {
            // Text pieces of a few characters; the others, like a tab or a picture, of one.
            const bool isText = random() % 4 != 0;
            const docx::Piece piece{quint32(length), quint32(isText ? 1 + random() % 6 : 1), {}, isText};
            model.push_back(piece);
            pieces.append(piece);
            length += piece.length;
        }
        length += 1; // the paragraph mark, which no piece holds
        pieces.setTextLength(length);
        for (int step = 0; step < 1500 && length > 1; ++step) {
            if (step % 7 == 3 && !model.empty() && model[step % model.size()].isText) {
                // Only a w:t takes text in.
                const std::size_t index = step % model.size();
                const qint64 grown = 1 + qint64(random() % 5);
                model[index].length = quint32(model[index].length + grown);
                for (std::size_t i = index + 1; i < model.size(); ++i) {
                    model[i].offset = quint32(model[i].offset + grown);
                }
                pieces.growPiece(index, grown);
                length += grown;
                continue;
            }
            const qint64 from = qint64(random() % quint32(length - 1));
            const qint64 longest = step % 151 == 0 ? 600 : 8;
            const qint64 to = std::min<qint64>(length - 1, from + 1 + qint64(random() % quint32(longest)));
            // What the host does: non-text pieces and wholly covered ones go, the others shrink.
            auto stays = [&](const docx::Piece& piece, qint64 low, qint64 high) {
                return piece.isText && !(low == 0 && high == piece.length);
            };
            std::vector<docx::Piece> next;
            for (docx::Piece piece : model) {
                const qint64 end = piece.offset + piece.length;
                if (end <= from || piece.offset >= to) {
                    if (piece.offset >= to) {
                        piece.offset = quint32(piece.offset - (to - from));
                    }
                    next.push_back(piece);
                    continue;
                }
                const qint64 low = std::max<qint64>(from, piece.offset) - piece.offset;
                const qint64 high = std::min<qint64>(to, end) - piece.offset;
                if (stays(piece, low, high)) {
                    piece.length = quint32(piece.length - (high - low));
                    piece.offset = quint32(std::min<qint64>(piece.offset, from));
                    next.push_back(piece);
                }
            }
            model = std::move(next);
            std::vector<std::pair<quint32, qint64>> touched;
            pieces.removeText(from, to, [&](const docx::Piece& piece, qint64 low, qint64 high) {
                touched.emplace_back(piece.offset, low);
                return stays(piece, low, high);
            });
            length -= to - from;
            ASSERT_FALSE(touched.empty()) << "step " << step;
            ASSERT_TRUE(std::is_sorted(touched.begin(), touched.end())) << "in text order";
            ASSERT_EQ(pieces.size(), model.size()) << "step " << step;
            if (step % 20 == 0 || count < 1000) {
                const std::vector<docx::Piece> read = pieces.toVector();
                ASSERT_EQ(read.size(), model.size()) << "step " << step;
                for (std::size_t i = 0; i < model.size(); ++i) {
                    ASSERT_EQ(read[i].offset, model[i].offset) << "step " << step << " piece " << i;
                    ASSERT_EQ(read[i].length, model[i].length) << "step " << step << " piece " << i;
                }
            }
            for (int probe = 0; probe < 4 && !model.empty(); ++probe) {
                const std::size_t index = random() % model.size();
                ASSERT_EQ(pieces[index].offset, model[index].offset) << "step " << step;
                const qint64 offset = qint64(random() % quint32(length + 1));
                const auto expected = std::partition_point(model.begin(), model.end(), [&](const docx::Piece& piece) {
                    return qint64(piece.offset) + piece.length < offset;
                });
                ASSERT_EQ(pieces.firstEndingFrom(offset), std::size_t(expected - model.begin()))
                    << "step " << step << " at " << offset;
            }
        }
    }
}

TEST(ParagraphText, JoinedStructuresReadAsTheirConcatenationWhateverEndGrows)
{
    // A paragraph that other paragraphs join one by one, at its end or its start, short ones and
    // long ones, with edits in between: the text, the unit ends and the pieces must read as the
    // plain concatenations do, whichever side is kept, whether its room is used or laid out
    // again, and however each side's text is kept.
    std::mt19937 random(3);
    struct Part {
        QString model;
        std::vector<quint32> ends;
        std::vector<docx::Piece> pieces;
    };
    auto makePart = [&](qsizetype length) {
        Part part;
        for (qsizetype i = 0; i < length; ++i) {
            part.model.append(QChar(char16_t(u'a' + random() % 26)));
        }
        // Some have a character past U+00FF, so that parts kept a byte a character join ones that
        // are not.
        if (length > 0 && random() % 3 == 0) {
            part.model[qsizetype(random() % quint32(length))] = QChar(u'\u017e');
        }
        for (qint64 end = 1 + qint64(random() % 5); end <= length; end += 1 + qint64(random() % 5)) {
            part.ends.push_back(quint32(end));
        }
        if (part.ends.empty() || part.ends.back() != quint32(length)) {
            part.ends.push_back(quint32(length));
        }
        // Pieces cover all but the paragraph mark at the end.
        for (qint64 offset = 0; offset < length - 1;) {
            const auto pieceLength = std::min<qint64>(length - 1 - offset, 1 + qint64(random() % 7));
            part.pieces.push_back({quint32(offset), quint32(pieceLength), {}, true});
            offset += pieceLength;
        }
        return part;
    };
    auto structures = [](const Part& part) {
        docx::ParagraphText text(part.model);
        docx::UnitEnds ends(part.ends, part.model.size());
        docx::PieceList pieces;
        for (const docx::Piece& piece : part.pieces) {
            pieces.append(piece);
        }
        pieces.setTextLength(part.model.size());
        return std::make_tuple(std::move(text), std::move(ends), std::move(pieces));
    };
    for (const qsizetype startLength : {qsizetype(40), qsizetype(9000)}) {
        Part whole = makePart(startLength);
        auto [text, ends, pieces] = structures(whole);
        for (int step = 0; step < 400; ++step) {
            const qsizetype partLength = step % 37 == 0 ? 6000 : step % 5 == 0 ? 1500 : 1 + qsizetype(random() % 60);
            const Part part = makePart(partLength);
            auto [partText, partEnds, partPieces] = structures(part);
            const bool atFront = random() % 2 == 0;
            const Part& front = atFront ? part : whole;
            const Part& back = atFront ? whole : part;
            Part joined;
            joined.model = front.model + back.model;
            joined.ends = front.ends;
            for (const quint32 end : back.ends) {
                joined.ends.push_back(quint32(end + front.model.size()));
            }
            joined.pieces = front.pieces;
            for (docx::Piece piece : back.pieces) {
                piece.offset = quint32(piece.offset + front.model.size());
                joined.pieces.push_back(piece);
            }
            if (atFront) {
                text = docx::ParagraphText::joined(std::move(partText), std::move(text));
                ends = docx::UnitEnds::joined(std::move(partEnds), std::move(ends));
                pieces = docx::PieceList::joined(std::move(partPieces), part.model.size(), std::move(pieces),
                                                 whole.model.size());
            } else {
                text = docx::ParagraphText::joined(std::move(text), std::move(partText));
                ends = docx::UnitEnds::joined(std::move(ends), std::move(partEnds));
                pieces = docx::PieceList::joined(std::move(pieces), whole.model.size(), std::move(partPieces),
                                                 part.model.size());
            }
            whole = std::move(joined);

            // Then an edit of each near one end or anywhere, as the host makes after a join.
            const qint64 length = whole.model.size();
            const qint64 from = step % 3 == 0 ? 0 : step % 3 == 1 ? length - 2 : qint64(random() % quint32(length - 1));
            const qint64 to = std::min<qint64>(length - 1, from + 1 + qint64(random() % 4));
            whole.model.remove(from, to - from);
            text.remove(from, to - from);
            pieces.removeText(
                from, to, [](const docx::Piece& piece, qint64 low, qint64 high) { return high - low < piece.length; });
            std::vector<docx::Piece> shortened;
            for (docx::Piece piece : whole.pieces) {
                const qint64 end = piece.offset + piece.length;
                const qint64 cut =
                    std::max<qint64>(0, std::min<qint64>(to, end) - std::max<qint64>(from, piece.offset));
                if (cut == piece.length) {
                    continue;
                }
                piece.offset =
                    quint32(piece.offset >= to ? piece.offset - (to - from) : std::min<qint64>(piece.offset, from));
                piece.length = quint32(piece.length - cut);
                shortened.push_back(piece);
            }
            whole.pieces = std::move(shortened);
            // The units the edit touched become one.
            const auto first =
                std::size_t(std::upper_bound(whole.ends.begin(), whole.ends.end(), quint32(from)) - whole.ends.begin());
            const auto last =
                std::size_t(std::upper_bound(whole.ends.begin(), whole.ends.end(), quint32(to)) - whole.ends.begin());
            const quint32 merged = quint32(whole.ends[last] - (to - from));
            ends.splice(first, last + 1, std::span(&merged, 1), whole.model.size());
            whole.ends.erase(whole.ends.begin() + std::ptrdiff_t(first), whole.ends.begin() + std::ptrdiff_t(last + 1));
            for (std::size_t i = first; i < whole.ends.size(); ++i) {
                whole.ends[i] -= quint32(to - from);
            }
            whole.ends.insert(whole.ends.begin() + std::ptrdiff_t(first), merged);

            ASSERT_EQ(text.toString(), whole.model) << "step " << step;
            ASSERT_EQ(std::vector<quint32>(ends.begin(), ends.end()), whole.ends) << "step " << step;
            const std::vector<docx::Piece> read = pieces.toVector();
            ASSERT_EQ(read.size(), whole.pieces.size()) << "step " << step;
            for (std::size_t i = 0; i < read.size(); ++i) {
                ASSERT_EQ(read[i].offset, whole.pieces[i].offset) << "step " << step << " piece " << i;
                ASSERT_EQ(read[i].length, whole.pieces[i].length) << "step " << step << " piece " << i;
            }
            for (int probe = 0; probe < 6; ++probe) {
                const qint64 offset = qint64(random() % quint32(whole.model.size()));
                ASSERT_EQ(text.at(offset), whole.model.at(offset)) << "step " << step;
                const auto unit = std::upper_bound(whole.ends.begin(), whole.ends.end(), quint32(offset));
                ASSERT_EQ(ends.upperBound(offset), std::size_t(unit - whole.ends.begin())) << "step " << step;
                const auto piece =
                    std::partition_point(whole.pieces.begin(), whole.pieces.end(), [&](const docx::Piece& each) {
                        return qint64(each.offset) + each.length < offset;
                    });
                ASSERT_EQ(pieces.firstEndingFrom(offset), std::size_t(piece - whole.pieces.begin())) << "step " << step;
            }
        }
        EXPECT_GT(whole.model.size(), 100000);
    }
}

TEST(ParagraphText, LongTextElementsAreSplitAndStayTheSameText)
{
    // A w:t far longer than one chunk, with characters of two, three and four UTF-8 bytes so that
    // a cut could fall inside one.
    QString text;
    for (int i = 0; text.size() < 9000; ++i) {
        text += u("Straße ") + u("€uro ") + QString::fromUcs4(U"\U0001F600 ") + u("word%1 ").arg(i);
    }
    QTemporaryDir folder;
    const QString source =
        qt::writeFile(folder.path(), u("long.docx"),
                      qt::docxBytes(u("<w:p><w:r><w:rPr><w:b/></w:rPr><w:t xml:space=\"preserve\">") + text +
                                    u("</w:t></w:r></w:p>")));
    docx::DocxHostProvider provider;
    auto application = provider.newApplication();
    auto document = application->documents().open(source);
    EXPECT_EQ(document->range()->text(), text + u("\r"));
    // Words deleted one after another through the whole paragraph, as the word walk does.
    qint64 deleted = 0;
    for (auto word = document->range()->word(2); word; word = word->next(engine::Unit::Word)) {
        if (word->text().startsWith(u("word"))) {
            word->deleteContent();
            ++deleted;
        }
    }
    EXPECT_GT(deleted, 100);
    const QString edited = document->range()->text();
    EXPECT_FALSE(edited.contains(u("word1 ")));
    const QString saved = QDir(folder.path()).filePath(u("saved.docx"));
    document->saveAs(saved);
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray xml = docx::Package::fromZip(saved, file.readAll()).find(u("word/document.xml"))->data;
    EXPECT_GT(xml.count("<w:t xml:space=\"preserve\">"), 2) << "the text was cut into chunks";
    EXPECT_EQ(xml.count("<w:r>"), 1) << "all in the one run, with its formatting";
    auto reopened = application->documents().open(saved);
    EXPECT_EQ(reopened->range()->text(), edited);
}

TEST(ParagraphText, BuiltAPieceAtATimeAsWhenMadeWhole)
{
    // Texts gathered as a paragraph is read, short and long, end up in the blocks the same text
    // made at once is kept in, and the builder starts afresh for the next paragraph.
    std::mt19937 random(23);
    docx::ParagraphText::Builder builder;
    for (const qsizetype length : {qsizetype(0), qsizetype(900), 3 * docx::ParagraphText::Builder::settleLength + 77,
                                   qsizetype(5), 10 * docx::ParagraphText::Builder::settleLength}) {
        QString whole;
        while (whole.size() < length) {
            const qsizetype piece = std::min<qsizetype>(length - whole.size(), 1 + qsizetype(random() % 3000));
            const QString added = QString(piece, QChar(char16_t(random() % 3 == 0 ? u'\u4e2d' : u'a' + random() % 26)));
            whole += added;
            ASSERT_EQ(builder.tailStart() + builder.tail().size(), builder.size());
            builder.tail() += added;
            builder.settle();
            ASSERT_EQ(builder.size(), whole.size());
            ASSERT_LT(builder.tail().size(), docx::ParagraphText::Builder::settleLength + 3000);
        }
        const docx::ParagraphText built = builder.take();
        const docx::ParagraphText made(whole);
        ASSERT_EQ(built.toString(), whole) << "length " << length;
        ASSERT_EQ(built.isBlocked(), made.isBlocked());
        EXPECT_EQ(builder.size(), 0);
        if (made.isBlocked()) {
            for (qsizetype at = 0; at < whole.size(); at += 97) {
                const auto [block, start] = built.blockAt(at);
                const auto [expected, expectedStart] = made.blockAt(at);
                ASSERT_EQ(start, expectedStart) << "at " << at;
                ASSERT_EQ(block->toString(), expected->toString()) << "at " << at;
                ASSERT_EQ(block->latin1().isEmpty(), expected->latin1().isEmpty()) << "at " << at;
            }
        }
    }
}

TEST(UnitEnds, BuiltAnEndAtATimeAsWhenMadeFromAVector)
{
    for (const std::size_t units :
         {std::size_t(0), std::size_t(1), docx::UnitEnds::maxBlockUnits, docx::UnitEnds::maxBlockUnits + 1,
          3 * docx::UnitEnds::blockUnits, 40 * docx::UnitEnds::blockUnits + 5}) {
        for (const qint64 after : {0, 4}) {
            std::vector<quint32> model;
            for (std::size_t i = 0; i < units; ++i) {
                model.push_back(quint32(3 * i + 2));
            }
            const qint64 length = (model.empty() ? 0 : qint64(model.back())) + after;
            docx::UnitEnds::Builder builder;
            for (const quint32 end : model) {
                builder.add(end);
            }
            docx::UnitEnds built = std::move(builder).finish(length);
            docx::UnitEnds made(model, length);
            ASSERT_EQ(std::vector<quint32>(built.begin(), built.end()), model) << units << " units";
            // The same edit on both leaves them alike: the stretches the builder cut agree too.
            if (units > 2) {
                const std::vector<quint32> window{model[units / 2 - 1] + 1};
                built.splice(units / 2, units / 2 + 1, window, length - 1);
                made.splice(units / 2, units / 2 + 1, window, length - 1);
            }
            ASSERT_EQ(std::vector<quint32>(built.begin(), built.end()), std::vector<quint32>(made.begin(), made.end()));
            for (qint64 offset = -1; offset <= length + 1; offset += 7) {
                ASSERT_EQ(built.upperBound(offset), made.upperBound(offset)) << units << " units, at " << offset;
            }
        }
    }
}

} // namespace
