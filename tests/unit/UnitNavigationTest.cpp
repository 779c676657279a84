// SPDX-License-Identifier: GPL-3.0-or-later
// The walks and counts both hosts share, over a story of random paragraphs and word units that
// is edited as it is walked, against the same questions asked of a flat list of units; and the
// prefix sums under them.
#include <text/FenwickTree.h>
#include <text/ParagraphIndex.h>
#include <text/UnitNavigation.h>

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <vector>

using quillsift::engine::Unit;
using quillsift::text::ParagraphIndex;
using quillsift::text::UnitNavigation;
using quillsift::text::UnitSpan;

namespace {

/// Paragraphs as lists of word-unit lengths; a retired one is empty.
struct ToyWords {
    std::vector<std::vector<quint32>> ends;
    int segmentAllCalls = 0;

    const std::vector<quint32>& unitEnds(std::size_t slot) const
    {
        return ends[slot];
    }
    void segmentAll()
    {
        ++segmentAllCalls;
    }
};

std::vector<quint32> randomEnds(std::mt19937& random)
{
    std::vector<quint32> ends;
    quint32 end = 0;
    const int units = std::uniform_int_distribution(1, 6)(random);
    for (int i = 0; i < units; ++i) {
        end += quint32(std::uniform_int_distribution(1, 4)(random));
        ends.push_back(end);
    }
    return ends;
}

/// The story as one list of spans, in order.
std::vector<UnitSpan> flatten(const ToyWords& words, const std::vector<bool>& alive, Unit unit)
{
    std::vector<UnitSpan> spans;
    qint64 start = 0;
    for (std::size_t slot = 0; slot < words.ends.size(); ++slot) {
        if (!alive[slot]) {
            continue;
        }
        const auto& ends = words.ends[slot];
        if (unit == Unit::Paragraph) {
            spans.push_back({start, start + ends.back()});
        } else {
            for (std::size_t i = 0; i < ends.size(); ++i) {
                spans.push_back({start + (i > 0 ? ends[i - 1] : 0), start + ends[i]});
            }
        }
        start += ends.back();
    }
    return spans;
}

std::optional<std::size_t> holding(const std::vector<UnitSpan>& spans, qint64 position)
{
    for (std::size_t i = 0; i < spans.size(); ++i) {
        if (spans[i].start <= position && position < spans[i].end) {
            return i;
        }
    }
    return std::nullopt;
}

void expectSpan(const std::optional<UnitSpan>& actual, const std::optional<UnitSpan>& expected, const char* what,
                qint64 start, qint64 end)
{
    ASSERT_EQ(actual.has_value(), expected.has_value()) << what << " [" << start << ", " << end << ")";
    if (expected) {
        EXPECT_EQ(actual->start, expected->start) << what << " [" << start << ", " << end << ")";
        EXPECT_EQ(actual->end, expected->end) << what << " [" << start << ", " << end << ")";
    }
}

void checkEveryQuestion(UnitNavigation<ToyWords>& navigation, const ToyWords& words, const std::vector<bool>& alive,
                        qint64 length, std::mt19937& random)
{
    for (const Unit unit : {Unit::Paragraph, Unit::Word}) {
        const std::vector<UnitSpan> spans = flatten(words, alive, unit);
        for (int question = 0; question < 40; ++question) {
            const qint64 start = std::uniform_int_distribution<qint64>(-1, length + 1)(random);
            const qint64 end = start + std::uniform_int_distribution<qint64>(0, 12)(random);
            const auto at = holding(spans, start);
            expectSpan(navigation.unitAt(unit, start), at ? std::optional(spans[*at]) : std::nullopt, "unitAt", start,
                       start);

            // Next: the first unit starting at or after end, or after the one holding a collapsed range.
            std::optional<UnitSpan> next;
            if ((start < end ? end : start) >= 0 && (start < end ? end : start) < length) {
                for (const UnitSpan& span : spans) {
                    if (start < end ? span.start >= end : span.start > start) {
                        next = span;
                        break;
                    }
                }
            }
            expectSpan(navigation.nextUnit(unit, start, end), next, "nextUnit", start, end);

            // Previous: the last unit that ends at or before start.
            std::optional<UnitSpan> previous;
            for (const UnitSpan& span : spans) {
                if (span.end <= std::min(start, length) && start > 0) {
                    previous = span;
                }
            }
            expectSpan(navigation.previousUnit(unit, start), previous, "previousUnit", start, end);

            // Count and index: the units overlapping [start, end).
            const qint64 clampedEnd = std::min(end, length);
            std::vector<UnitSpan> overlapping;
            if (start >= 0 && start < clampedEnd) {
                for (const UnitSpan& span : spans) {
                    if (span.end > start && span.start < clampedEnd) {
                        overlapping.push_back(span);
                    }
                }
            }
            const qint64 count = start >= clampedEnd ? (at ? 1 : 0) : qint64(overlapping.size());
            EXPECT_EQ(navigation.countUnits(unit, start, end), count) << "countUnits [" << start << ", " << end << ")";
            for (qint64 index = 0; index <= count + 1; ++index) {
                std::optional<UnitSpan> expected;
                if (index == 1 && at) {
                    expected = spans[*at];
                } else if (index > 1 && start < clampedEnd && index <= qint64(overlapping.size())) {
                    expected = overlapping[std::size_t(index - 1)];
                }
                expectSpan(navigation.unitByIndex(unit, start, end, index), expected, "unitByIndex", start, end);
            }
        }
    }
}

} // namespace

TEST(UnitNavigation, AnswersAsTheFlatListWhileParagraphsChangeAndGo)
{
    std::mt19937 random(20261208);
    for (int round = 0; round < 20; ++round) {
        ToyWords words;
        const int paragraphs = std::uniform_int_distribution(1, 12)(random);
        std::vector<qint64> lengths;
        for (int i = 0; i < paragraphs; ++i) {
            words.ends.push_back(randomEnds(random));
            lengths.push_back(words.ends.back().back());
        }
        std::vector<bool> alive(std::size_t(paragraphs), true);
        ParagraphIndex index(lengths);
        UnitNavigation<ToyWords> navigation(index, words);
        checkEveryQuestion(navigation, words, alive, index.length(), random);

        for (int edit = 0; edit < 15 && index.liveCount() > 1; ++edit) {
            const auto slot = index.liveSlot(std::uniform_int_distribution<qint64>(0, index.liveCount() - 1)(random));
            if (std::bernoulli_distribution(0.4)(random)) {
                index.retire(slot);
                alive[slot] = false;
            } else {
                const qint64 before = words.ends[slot].back();
                words.ends[slot] = randomEnds(random);
                index.addCharacters(slot, qint64(words.ends[slot].back()) - before);
            }
            navigation.unitsChanged(slot);
            ASSERT_EQ(index.isAlive(slot), alive[slot]);
            checkEveryQuestion(navigation, words, alive, index.length(), random);
        }
    }
}

TEST(UnitNavigation, SegmentsTheWholeStoryOnlyToCountWordsAcrossParagraphs)
{
    ToyWords words{{{2, 5}, {3}, {1, 2, 4}}};
    ParagraphIndex index({5, 3, 4});
    UnitNavigation<ToyWords> navigation(index, words);
    EXPECT_EQ(navigation.countUnits(Unit::Paragraph, 0, 12), 3);
    EXPECT_EQ(navigation.countUnits(Unit::Word, 0, 5), 2);
    EXPECT_EQ(words.segmentAllCalls, 0);
    EXPECT_EQ(navigation.countUnits(Unit::Word, 0, 12), 6);
    EXPECT_EQ(navigation.countUnits(Unit::Word, 3, 10), 4);
    EXPECT_EQ(words.segmentAllCalls, 1);
    navigation.reset();
    EXPECT_EQ(navigation.countUnits(Unit::Word, 0, 12), 6);
    EXPECT_EQ(words.segmentAllCalls, 2);
}

// The prefix sums under every count and index: each slot's value, every prefix and the slot a
// running sum passes, after each of a run of random changes, against a plain list of values.
TEST(FenwickTree, AnswersAsPlainSumsWhileValuesChange)
{
    std::mt19937 random(20261209);
    for (std::size_t size = 1; size <= 70; ++size) {
        std::vector<qint64> values(size);
        for (qint64& value : values) {
            value = std::uniform_int_distribution<qint64>(0, 9)(random);
        }
        quillsift::text::FenwickTree tree(values);
        for (int change = 0; change < 12; ++change) {
            const auto slot = std::uniform_int_distribution<std::size_t>(0, size - 1)(random);
            const qint64 delta = std::uniform_int_distribution<qint64>(-values[slot], 9)(random);
            tree.add(slot, delta);
            values[slot] += delta;
            qint64 sum = 0;
            for (std::size_t i = 0; i < size; ++i) {
                ASSERT_EQ(tree.prefix(i), sum) << size << " " << i;
                ASSERT_EQ(tree.value(i), values[i]) << size << " " << i;
                sum += values[i];
            }
            ASSERT_EQ(tree.total(), sum);
            for (qint64 target = 0; target <= sum; ++target) {
                std::size_t expected = 0;
                for (qint64 running = values[0]; expected < size && running <= target;) {
                    ++expected;
                    running += expected < size ? values[expected] : 0;
                }
                ASSERT_EQ(tree.slotAfter(target), expected) << size << " " << target;
            }
        }
    }
}
